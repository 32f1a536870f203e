<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>LegacyEncodingMenu</name>
    <message>
        <source>Automatic (GB18030 in a Chinese locale)</source>
        <translation>自动（中文环境下为 GB18030）</translation>
    </message>
    <message>
        <source>Chinese, simplified (GB18030, GBK)</source>
        <translation>简体中文（GB18030、GBK）</translation>
    </message>
    <message>
        <source>Chinese, traditional (Big5)</source>
        <translation>繁体中文（Big5）</translation>
    </message>
    <message>
        <source>Japanese (Shift_JIS)</source>
        <translation>日文（Shift_JIS）</translation>
    </message>
    <message>
        <source>Korean (EUC-KR)</source>
        <translation>韩文（EUC-KR）</translation>
    </message>
    <message>
        <source>Western European (windows-1252)</source>
        <translation>西欧（windows-1252）</translation>
    </message>
    <message>
        <source>None: read as UTF-8</source>
        <translation>无：按 UTF-8 读取</translation>
    </message>
    <message>
        <source>Legacy code page</source>
        <translation>旧版代码页</translation>
    </message>
    <message>
        <source>Reads text files without a mark that are not UTF-8, and appends to them, in this code page</source>
        <translation>不带字节顺序标记且非 UTF-8 的文本文件按此代码页读取和追加</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>JSON flow (*.json)</source>
        <translation>JSON 流程 (*.json)</translation>
    </message>
    <message>
        <source>Binary flow (*.stepflow)</source>
        <translation>二进制流程 (*.stepflow)</translation>
    </message>
    <message>
        <source>Properties</source>
        <translation>属性</translation>
    </message>
    <message>
        <source>Add to flow</source>
        <translation>添加到流程</translation>
    </message>
    <message>
        <source>Steps</source>
        <translation>步骤</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>上移</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>下移</translation>
    </message>
    <message>
        <source>Flow</source>
        <translation>流程</translation>
    </message>
    <message>
        <source>Warnings of the last run</source>
        <translation>上次运行的警告</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>类型</translation>
    </message>
    <message>
        <source>Qt type</source>
        <translation>Qt 类型</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>值</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>日志</translation>
    </message>
    <message>
        <source>Variables after the run</source>
        <translation>运行后的变量</translation>
    </message>
    <message>
        <source>Variables</source>
        <translation>变量</translation>
    </message>
    <message>
        <source>Last run</source>
        <translation>上次运行</translation>
    </message>
    <message>
        <source>New</source>
        <translation>新建</translation>
    </message>
    <message>
        <source>Open…</source>
        <translation>打开…</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save as…</source>
        <translation>另存为…</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>运行</translation>
    </message>
    <message>
        <source>Running step %1 of %2: %3</source>
        <translation>正在运行第 %1 步（共 %2 步）：%3</translation>
    </message>
    <message>
        <source>The flow did not run: %1</source>
        <translation>流程未运行：%1</translation>
    </message>
    <message>
        <source>Run finished</source>
        <translation>运行结束</translation>
    </message>
    <message>
        <source>Open flow</source>
        <translation>打开流程</translation>
    </message>
    <message>
        <source>Flows (*.json *.stepflow);;All files (*)</source>
        <translation>流程 (*.json *.stepflow);;所有文件 (*)</translation>
    </message>
    <message>
        <source>Save flow</source>
        <translation>保存流程</translation>
    </message>
    <message>
        <source>Unsaved flow</source>
        <translation>流程未保存</translation>
    </message>
    <message>
        <source>The flow has changes that are not saved. Save them?</source>
        <translation>流程有未保存的更改。是否保存？</translation>
    </message>
    <message>
        <source>Untitled flow</source>
        <translation>未命名流程</translation>
    </message>
</context>
<context>
    <name>PropertyPanel</name>
    <message>
        <source>Choose a folder</source>
        <translation>选择文件夹</translation>
    </message>
    <message>
        <source>Add files</source>
        <translation>添加文件</translation>
    </message>
    <message>
        <source>Choose a file</source>
        <translation>选择文件</translation>
    </message>
    <message>
        <source>No step selected</source>
        <translation>未选择步骤</translation>
    </message>
</context>
<context>
    <name>VariablesModel</name>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>类型</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>值</translation>
    </message>
</context>
<context>
    <name>VariablesPanel</name>
    <message>
        <source>A string takes its text as typed; other values are JSON, for example [&quot;a.txt&quot;, &quot;b.txt&quot;] for a list or [[&quot;1&quot;, &quot;2&quot;]] for a data table</source>
        <translation>字符串按输入的文字保存；其他值写成 JSON，例如列表 [&quot;a.txt&quot;, &quot;b.txt&quot;]，数据表 [[&quot;1&quot;, &quot;2&quot;]]</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>添加</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>删除</translation>
    </message>
</context>
</TS>
