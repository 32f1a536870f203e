<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>FlowCheck</name>
    <message>
        <source>variable &quot;%1&quot; is not declared as %2</source>
        <translation>变量“%1”未声明为%2</translation>
    </message>
    <message>
        <source> or </source>
        <translation>或</translation>
    </message>
    <message>
        <source>a variable needs a name</source>
        <translation>变量需要名称</translation>
    </message>
    <message>
        <source>a name cannot contain &quot;$&quot;</source>
        <translation>名称不能包含“$”</translation>
    </message>
    <message>
        <source>a name cannot contain blanks</source>
        <translation>名称不能包含空白</translation>
    </message>
    <message>
        <source>there is already a variable &quot;%1&quot;</source>
        <translation>已有变量“%1”</translation>
    </message>
    <message>
        <source>not a number, for example 12 or 0.5</source>
        <translation>不是数字，例如 12 或 0.5</translation>
    </message>
    <message>
        <source>write true or false</source>
        <translation>请填写 true 或 false</translation>
    </message>
    <message>
        <source>not a list, for example [&quot;a.txt&quot;, &quot;b.txt&quot;]</source>
        <translation>不是列表，例如 [&quot;a.txt&quot;, &quot;b.txt&quot;]</translation>
    </message>
    <message>
        <source>not a table of rows, for example [[&quot;id&quot;, &quot;name&quot;], [&quot;1&quot;, &quot;Ann&quot;]]</source>
        <translation>不是按行组成的数据表，例如 [[&quot;id&quot;, &quot;name&quot;], [&quot;1&quot;, &quot;Ann&quot;]]</translation>
    </message>
    <message>
        <source>not an object, for example {&quot;a&quot;: 1}</source>
        <translation>不是对象，例如 {&quot;a&quot;: 1}</translation>
    </message>
    <message>
        <source>variable &quot;%1&quot; is not declared</source>
        <translation>变量“%1”未声明</translation>
    </message>
</context>
<context>
    <name>FlowModel</name>
    <message>
        <source>%1. %2 — %3</source>
        <translation>%1. %2 — %3</translation>
    </message>
</context>
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
    <message>
        <source>Change setting</source>
        <translation>修改设置</translation>
    </message>
    <message>
        <source>Edit variables</source>
        <translation>编辑变量</translation>
    </message>
    <message>
        <source>Move step</source>
        <translation>移动步骤</translation>
    </message>
    <message>
        <source>Change…</source>
        <translation>更改…</translation>
    </message>
    <message>
        <source>Choose the folder relative paths resolve in</source>
        <translation>选择相对路径所依据的文件夹</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>编辑(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Run</source>
        <translation>运行(&amp;R)</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Stop the run after the step under way</source>
        <translation>当前步骤完成后停止运行</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>重做</translation>
    </message>
    <message>
        <source>Add %1</source>
        <translation>添加“%1”</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <translation>删除“%1”</translation>
    </message>
    <message>
        <source>Working folder: %1</source>
        <translation>工作文件夹：%1</translation>
    </message>
    <message>
        <source>Working folder</source>
        <translation>工作文件夹</translation>
    </message>
    <message>
        <source>Run flow</source>
        <translation>运行流程</translation>
    </message>
    <message numerus="yes">
        <source>%n step(s) have settings marked as not working as meant. Run anyway?</source>
        <translation>
            <numerusform>有 %n 个步骤的设置被标记为无法按预期工作。仍要运行吗？</numerusform>
        </translation>
    </message>
    <message>
        <source>The flow did not run</source>
        <translation>流程未运行</translation>
    </message>
    <message>
        <source>the working folder %1 cannot be entered</source>
        <translation>无法进入工作文件夹 %1</translation>
    </message>
    <message numerus="yes">
        <source>Finished, %n warning(s)</source>
        <translation>
            <numerusform>完成，%n 条警告</numerusform>
        </translation>
    </message>
    <message>
        <source>Stopped after step %1 of %2; the steps after it did not run</source>
        <translation>已在第 %1 步（共 %2 步）后停止，其后的步骤未运行</translation>
    </message>
    <message numerus="yes">
        <source>Stopped after step %1, %n warning(s)</source>
        <translation>
            <numerusform>已在第 %1 步后停止，%n 条警告</numerusform>
        </translation>
    </message>
    <message>
        <source>Step %1 %2: %3</source>
        <translation>第 %1 步 %2：%3</translation>
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
    <message>
        <source>unknown type &quot;%1&quot;</source>
        <translation>未知类型“%1”</translation>
    </message>
    <message>
        <source>undeclared</source>
        <translation>未声明</translation>
    </message>
    <message>
        <source>text</source>
        <translation>文本</translation>
    </message>
    <message>
        <source>number</source>
        <translation>数字</translation>
    </message>
    <message>
        <source>boolean</source>
        <translation>布尔值</translation>
    </message>
    <message>
        <source>list</source>
        <translation>列表</translation>
    </message>
    <message>
        <source>data table</source>
        <translation>数据表</translation>
    </message>
    <message>
        <source>object</source>
        <translation>对象</translation>
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
    <message>
        <source>Not taken: %1</source>
        <translation>未采用：%1</translation>
    </message>
</context>
</TS>
