<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>BinaryFlow</name>
    <message>
        <source>variable &quot;%1&quot;: the value is nested more than %2 levels deep</source>
        <translation>变量“%1”：值的嵌套超过 %2 层</translation>
    </message>
    <message>
        <source>step %1 (%2): unknown step type</source>
        <translation>第 %1 步（%2）：未知的步骤类型</translation>
    </message>
    <message>
        <source>the data ends early</source>
        <translation>数据提前结束</translation>
    </message>
    <message>
        <source>the data is corrupt</source>
        <translation>数据已损坏</translation>
    </message>
    <message>
        <source>a text has an odd byte length</source>
        <translation>一段文本的字节长度为奇数</translation>
    </message>
    <message>
        <source>a text list of %1 is more than the data can hold</source>
        <translation>含 %1 项的文本列表超出了数据所能容纳的量</translation>
    </message>
    <message>
        <source>a list of %1 is more than the data can hold</source>
        <translation>含 %1 项的列表超出了数据所能容纳的量</translation>
    </message>
    <message>
        <source>a map of %1 is more than the data can hold</source>
        <translation>含 %1 项的映射超出了数据所能容纳的量</translation>
    </message>
    <message>
        <source>a value has the unsupported type id %1</source>
        <translation>某个值的类型编号 %1 不受支持</translation>
    </message>
    <message>
        <source>a value is nested more than %1 levels deep</source>
        <translation>某个值的嵌套超过 %1 层</translation>
    </message>
    <message>
        <source>it does not start with STEPFLOW</source>
        <translation>开头不是 STEPFLOW</translation>
    </message>
    <message>
        <source>header</source>
        <translation>文件头</translation>
    </message>
    <message>
        <source>unknown format version %1 (this host reads %2)</source>
        <translation>未知的格式版本 %1（本主机读取版本 %2）</translation>
    </message>
    <message>
        <source>the variable count %1 is more than the data can hold</source>
        <translation>变量数 %1 超出了数据所能容纳的量</translation>
    </message>
    <message>
        <source>variable %1</source>
        <translation>第 %1 个变量</translation>
    </message>
    <message>
        <source>variable %1 &quot;%2&quot;</source>
        <translation>第 %1 个变量“%2”</translation>
    </message>
    <message>
        <source>unknown type word &quot;%1&quot;</source>
        <translation>未知的类型词“%1”</translation>
    </message>
    <message>
        <source>step list</source>
        <translation>步骤列表</translation>
    </message>
    <message>
        <source>the step count %1 is more than the data can hold</source>
        <translation>步骤数 %1 超出了数据所能容纳的量</translation>
    </message>
    <message>
        <source>step %1</source>
        <translation>第 %1 步</translation>
    </message>
    <message>
        <source>step %1 (%2)</source>
        <translation>第 %1 步（%2）</translation>
    </message>
    <message>
        <source>unknown step type (no loaded plug-in provides it)</source>
        <translation>未知的步骤类型（已加载的插件均未提供）</translation>
    </message>
    <message>
        <source>%1 unexpected bytes after the last step</source>
        <translation>最后一步之后多出 %1 个字节</translation>
    </message>
    <message>
        <source>damaged binary flow: %1</source>
        <translation>二进制流程已损坏：%1</translation>
    </message>
    <message>
        <source>damaged binary flow: %1: %2</source>
        <translation>二进制流程已损坏：%1：%2</translation>
    </message>
</context>
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
    <message>
        <source>not a whole number, for example 0 or 12</source>
        <translation>不是整数，例如 0 或 12</translation>
    </message>
    <message>
        <source>%1 is below 0, which the step does not take</source>
        <translation>%1 小于 0，此步骤不接受</translation>
    </message>
    <message>
        <source>empty: the step has no path to work on</source>
        <translation>未填写：此步骤没有要处理的路径</translation>
    </message>
    <message numerus="yes">
        <source>the plan shows %n conflict(s) in this step</source>
        <translation>
            <numerusform>计划显示此步骤有 %n 项冲突</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>sends %n files onto one name, %1</source>
        <translation>
            <numerusform>会把 %n 个文件放到同一个名称 %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>FlowFile</name>
    <message>
        <source>cannot open: %1</source>
        <translation>无法打开：%1</translation>
    </message>
    <message>
        <source>is larger than 1 GiB, not a flow file</source>
        <translation>大于 1 GiB，不是流程文件</translation>
    </message>
    <message>
        <source>is a folder, not a flow file</source>
        <translation>是文件夹，不是流程文件</translation>
    </message>
    <message>
        <source>is not a file or a pipe, not a flow file</source>
        <translation>既不是文件也不是管道，不是流程文件</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
</context>
<context>
    <name>FlowModel</name>
    <message>
        <source>%1. %2 — %3</source>
        <translation>%1. %2 — %3</translation>
    </message>
    <message>
        <source>%1 files: %2, …</source>
        <translation>%1 个文件：%2, …</translation>
    </message>
</context>
<context>
    <name>JournalRun</name>
    <message>
        <source>cannot journal file changes</source>
        <translation>无法记录文件更改</translation>
    </message>
    <message>
        <source>the steps of this flow come from %1 plug-ins; a journal records the steps of one plug-in</source>
        <translation>此流程的步骤来自 %1 个插件；一份运行日志只记录一个插件的步骤</translation>
    </message>
</context>
<context>
    <name>JsonFlow</name>
    <message>
        <source>a boolean</source>
        <translation>布尔值</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>数字</translation>
    </message>
    <message>
        <source>a string</source>
        <translation>字符串</translation>
    </message>
    <message>
        <source>an array</source>
        <translation>数组</translation>
    </message>
    <message>
        <source>an object</source>
        <translation>对象</translation>
    </message>
    <message>
        <source>%1: unknown key %2</source>
        <translation>%1：未知的键 %2</translation>
    </message>
    <message>
        <source>line %1, column %2</source>
        <translation>第 %1 行第 %2 列</translation>
    </message>
    <message>
        <source>variable %1</source>
        <translation>变量 %1</translation>
    </message>
    <message>
        <source>a variable has an empty name</source>
        <translation>有变量的名称为空</translation>
    </message>
    <message>
        <source>%1: needs an object, got %2</source>
        <translation>%1：需要对象，实际为%2</translation>
    </message>
    <message>
        <source>%1: unknown type %2 (string, list, datatable, bool, number, object)</source>
        <translation>%1：未知类型 %2（可用 string、list、datatable、bool、number、object）</translation>
    </message>
    <message>
        <source>%1: &quot;qt&quot; may only be &quot;QStringList&quot;</source>
        <translation>%1：&quot;qt&quot; 只能是 &quot;QStringList&quot;</translation>
    </message>
    <message>
        <source>%1: a QStringList value needs an array of strings</source>
        <translation>%1：QStringList 值需要字符串数组</translation>
    </message>
    <message>
        <source>%1: a QStringList value needs an array of strings, it holds %2</source>
        <translation>%1：QStringList 值需要字符串数组，其中含有%2</translation>
    </message>
    <message>
        <source>%1: setting %2 needs %3, got %4</source>
        <translation>%1：设置 %2 需要%3，实际为%4</translation>
    </message>
    <message>
        <source>a whole number within the int range</source>
        <translation>int 范围内的整数</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation>true 或 false</translation>
    </message>
    <message>
        <source>%1: setting %2 has the type %3, which flows cannot set</source>
        <translation>%1：设置 %2 的类型为 %3，流程无法设置该类型</translation>
    </message>
    <message>
        <source>step %1</source>
        <translation>第 %1 步</translation>
    </message>
    <message>
        <source>%1: needs a &quot;type&quot; string</source>
        <translation>%1：需要 &quot;type&quot; 字符串</translation>
    </message>
    <message>
        <source>step %1 (%2)</source>
        <translation>第 %1 步（%2）</translation>
    </message>
    <message>
        <source>%1: unknown step type (no loaded plug-in provides it)</source>
        <translation>%1：未知的步骤类型（已加载的插件均未提供）</translation>
    </message>
    <message>
        <source>%1: &quot;carriedState&quot; needs a whole number from 0 to 4294967295</source>
        <translation>%1：&quot;carriedState&quot; 需要 0 到 4294967295 之间的整数</translation>
    </message>
    <message>
        <source>%1: &quot;settings&quot; needs an object, got %2</source>
        <translation>%1：&quot;settings&quot; 需要对象，实际为%2</translation>
    </message>
    <message>
        <source>%1: unknown setting %2</source>
        <translation>%1：未知的设置 %2</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>文件为空</translation>
    </message>
    <message>
        <source>not valid JSON: %1 at %2</source>
        <translation>不是有效的 JSON：%1（位于%2）</translation>
    </message>
    <message>
        <source>a flow is a JSON object with &quot;variables&quot; and &quot;steps&quot;</source>
        <translation>流程应是含有 &quot;variables&quot; 和 &quot;steps&quot; 的 JSON 对象</translation>
    </message>
    <message>
        <source>flow</source>
        <translation>流程</translation>
    </message>
    <message>
        <source>&quot;variables&quot; needs an object, got %1</source>
        <translation>&quot;variables&quot; 需要对象，实际为%1</translation>
    </message>
    <message>
        <source>&quot;steps&quot; needs an array, got %1</source>
        <translation>&quot;steps&quot; 需要数组，实际为%1</translation>
    </message>
    <message>
        <source>null</source>
        <translation>空值（null）</translation>
    </message>
</context>
<context>
    <name>LegacyEncoding</name>
    <message>
        <source>unknown legacy encoding &quot;%1&quot; (accepted: %2)</source>
        <translation>未知的旧版代码页“%1”（可用：%2）</translation>
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
        <source>%1 holds text with bytes that are not UTF-8, shown as �; a Chinese file from an older system reads right with %2 → %3</source>
        <translation>%1 中的文本含有非 UTF-8 字节，显示为 �；旧系统的中文文件请用 %2 → %3 读取</translation>
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
    <message>
        <source>Stopped after step %1 of %2; the steps after it did not run</source>
        <translation>已在第 %1 步（共 %2 步）后停止，其后的步骤未运行</translation>
    </message>
    <message>
        <source>Undo last run…</source>
        <translation>撤销上次运行…</translation>
    </message>
    <message>
        <source>Keep a journal to undo runs</source>
        <translation>记录运行日志以便撤销</translation>
    </message>
    <message>
        <source>This run keeps no journal and cannot be undone: %1</source>
        <translation>本次运行不记录运行日志，无法撤销：%1</translation>
    </message>
    <message>
        <source>Take back the run of %1</source>
        <translation>撤销 %1 的运行</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>预览</translation>
    </message>
    <message numerus="yes">
        <source>The plan shows %n conflict(s): changes that replace files the flow still uses, or that will fail. Run anyway?</source>
        <translation>
            <numerusform>计划中有 %n 处冲突：某些更改会替换流程仍要用到的文件，或将会失败。仍要运行吗？</numerusform>
        </translation>
    </message>
    <message>
        <source>Result of this run</source>
        <translation>本次结果</translation>
    </message>
    <message numerus="yes">
        <source>The flow replaces %n file(s) that are there now, and no journal is kept to undo the run. Run anyway?</source>
        <translation>
            <numerusform>流程将替换 %n 个现有文件，且没有保留可撤销这次运行的日志。仍要运行吗？</numerusform>
        </translation>
    </message>
    <message>
        <source>A note on the flow: what it does, where to run it</source>
        <translation>流程备注：做什么，在哪个文件夹运行</translation>
    </message>
    <message>
        <source>Kept in the flow file</source>
        <translation>保存在流程文件中</translation>
    </message>
    <message>
        <source>Edit note</source>
        <translation>编辑备注</translation>
    </message>
    <message>
        <source>The working folder %1 does not exist. Make it and run the flow there?</source>
        <translation>工作文件夹 %1 不存在。要新建它并在其中运行流程吗？</translation>
    </message>
    <message>
        <source>The working folder %1 cannot be made.</source>
        <translation>无法新建工作文件夹 %1。</translation>
    </message>
    <message>
        <source>No run of this flow in this folder to undo</source>
        <translation>此流程在此文件夹中没有可撤销的运行</translation>
    </message>
    <message>
        <source>Stop the run: the step under way stops as soon as it can</source>
        <translation>停止运行：当前步骤尽快停下</translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation>正在停止…</translation>
    </message>
    <message>
        <source>Step %1 could not write %2: %3</source>
        <translation>第 %1 步无法写入 %2：%3</translation>
    </message>
    <message>
        <source>Step %1 of %2 was stopped part-way with %3 file(s) left; the steps after it did not run</source>
        <translation>第 %1 步（共 %2 步）中途停止，%3 个文件未处理；其后的步骤未运行</translation>
    </message>
    <message>
        <source>Stopping… the window closes once the run has stopped</source>
        <translation>正在停止…运行停止后窗口将关闭</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>A run of the flow is going on. Stop it and close the window? What it has done so far stays done.</source>
        <translation>流程正在运行。要停止运行并关闭窗口吗？已经完成的部分将保留。</translation>
    </message>
    <message>
        <source>Stop and close</source>
        <translation>停止并关闭</translation>
    </message>
    <message>
        <source>Keep running</source>
        <translation>继续运行</translation>
    </message>
</context>
<context>
    <name>Plan</name>
    <message>
        <source>skipped: </source>
        <translation>已跳过：</translation>
    </message>
    <message>
        <source>fails: </source>
        <translation>将失败：</translation>
    </message>
    <message>
        <source>conflict: </source>
        <translation>冲突：</translation>
    </message>
    <message>
        <source>ok</source>
        <translation>正常</translation>
    </message>
    <message>
        <source>cannot plan file changes</source>
        <translation>无法规划文件更改</translation>
    </message>
    <message>
        <source>step</source>
        <translation>步骤</translation>
    </message>
    <message>
        <source>action</source>
        <translation>操作</translation>
    </message>
    <message>
        <source>path</source>
        <translation>路径</translation>
    </message>
    <message>
        <source>from</source>
        <translation>来源</translation>
    </message>
    <message>
        <source>state</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>%1 changes, %2 with a conflict, %3 skipped
</source>
        <translation>%1 项更改，%2 项有冲突，%3 项跳过
</translation>
    </message>
    <message>
        <source>replaces an existing file</source>
        <translation>替换现有文件</translation>
    </message>
    <message>
        <source>stopped before the end of the flow
</source>
        <translation>在流程结束前已停止
</translation>
    </message>
</context>
<context>
    <name>PluginHost</name>
    <message>
        <source>interface id &quot;%1&quot; is not &quot;%2&quot;</source>
        <translation>接口标识“%1”不是“%2”</translation>
    </message>
    <message>
        <source>the plug-in object does not implement IOperationPlugin</source>
        <translation>插件对象未实现 IOperationPlugin</translation>
    </message>
    <message>
        <source>%1: type id &quot;%2&quot; is already provided by another plug-in; the first one is used</source>
        <translation>%1：类型标识“%2”已由另一个插件提供，使用先加载的那个</translation>
    </message>
    <message>
        <source>skipping plug-in %1</source>
        <translation>跳过插件 %1</translation>
    </message>
</context>
<context>
    <name>PreviewPanel</name>
    <message>
        <source>mkdir</source>
        <translation>新建文件夹</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>move</source>
        <translation>移动</translation>
    </message>
    <message>
        <source>rename</source>
        <translation>重命名</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>write</source>
        <translation>写入</translation>
    </message>
    <message>
        <source>append</source>
        <translation>追加</translation>
    </message>
    <message>
        <source>Step</source>
        <translation>步骤</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>操作</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>路径</translation>
    </message>
    <message>
        <source>From</source>
        <translation>来源</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message numerus="yes">
        <source>%n change(s)</source>
        <translation>
            <numerusform>%n 项更改</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n conflict(s)</source>
        <translation>
            <numerusform>%n 项冲突</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n skipped</source>
        <translation>
            <numerusform>%n 项跳过</numerusform>
        </translation>
    </message>
    <message>
        <source>Working out what the flow will do…</source>
        <translation>正在计算流程将做的更改…</translation>
    </message>
    <message>
        <source>%1 (updating…)</source>
        <translation>%1（正在更新…）</translation>
    </message>
    <message>
        <source>What the flow will do cannot be worked out:</source>
        <translation>无法算出流程将做的更改：</translation>
    </message>
    <message>
        <source>Next run preview: what running the flow again would do. The result of the run is under Last run.</source>
        <translation>后续预览：再次运行流程将做的更改。本次结果见“上次运行”。</translation>
    </message>
    <message numerus="yes">
        <source>The flow would change no file, %n skipped</source>
        <translation>
            <numerusform>此流程不会更改任何文件，%n 项跳过</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, %2, %3, %4</source>
        <translation>%1，%2，%3，%4</translation>
    </message>
    <message numerus="yes">
        <source>%n replacing existing file(s)</source>
        <translation>
            <numerusform>%n 项替换现有文件</numerusform>
        </translation>
    </message>
    <message>
        <source>Step %1 leaves %2 alone: %3</source>
        <translation>第 %1 步未处理 %2：%3</translation>
    </message>
</context>
<context>
    <name>ProgressText</name>
    <message>
        <source>%1 s left</source>
        <translation>剩余 %1 秒</translation>
    </message>
    <message>
        <source>%1 min %2 s left</source>
        <translation>剩余 %1 分 %2 秒</translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation>剩余 %1 小时 %2 分</translation>
    </message>
    <message>
        <source>%1/%2 files</source>
        <translation>%1/%2 个文件</translation>
    </message>
    <message>
        <source>%1/s</source>
        <translation>%1/s</translation>
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
    <message numerus="yes">
        <source>%1
… %n more line(s) …
%2</source>
        <translation>
            <numerusform>%1
……另有 %n 行……
%2</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RangedSpinBox</name>
    <message>
        <source>%1 is not taken: the number must be from %2 to %3; the step keeps %4</source>
        <translation>%1 未被采用：数字须在 %2 到 %3 之间；此步骤保留 %4</translation>
    </message>
</context>
<context>
    <name>RunOutcome</name>
    <message numerus="yes">
        <source>Finished, %n warning(s)</source>
        <translation>
            <numerusform>完成，%n 条警告</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1，%2</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) left alone</source>
        <translation>
            <numerusform>%n 个文件未处理</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n existing file(s) replaced; Undo last run brings them back</source>
        <translation>
            <numerusform>替换了 %n 个现有文件，可用“撤销上次运行”找回</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n existing file(s) replaced</source>
        <translation>
            <numerusform>替换了 %n 个现有文件</numerusform>
        </translation>
    </message>
    <message>
        <source>Step %1 %2 %3</source>
        <translation>第 %1 步 %2 %3</translation>
    </message>
    <message>
        <source>%1 ← %2</source>
        <translation>%1 ← %2</translation>
    </message>
    <message>
        <source>%1 (replaced an existing file)</source>
        <translation>%1（替换了现有文件）</translation>
    </message>
    <message numerus="yes">
        <source>Stopped after step %1 of %2, %n warning(s)</source>
        <translation>
            <numerusform>已在第 %1 步（共 %2 步）后停止，%n 条警告</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Step %1 of %2 stopped part-way with %3 file(s) left, %n warning(s)</source>
        <translation>
            <numerusform>第 %1 步（共 %2 步）中途停止，%3 个文件未处理，%n 条警告</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Runner</name>
    <message>
        <source>step %1 (%2)</source>
        <translation>第 %1 步（%2）</translation>
    </message>
    <message>
        <source>%1: loadOperation read past what saveOperation wrote</source>
        <translation>%1：loadOperation 读取的内容超出了 saveOperation 写入的范围</translation>
    </message>
    <message>
        <source>%1: loadOperation left %2 of the %3 saved bytes unread</source>
        <translation>%1：saveOperation 写入的 %3 个字节中，loadOperation 有 %2 个未读取</translation>
    </message>
    <message>
        <source>%1: settings changed by save and load: %2</source>
        <translation>%1：保存再加载后发生变化的设置：%2</translation>
    </message>
    <message>
        <source>%1: unknown step type</source>
        <translation>%1：未知的步骤类型</translation>
    </message>
</context>
<context>
    <name>StepInterfaces</name>
    <message>
        <source>step %1 (%2): its plug-in %3</source>
        <translation>第 %1 步（%2）：其插件%3</translation>
    </message>
</context>
<context>
    <name>StepLog</name>
    <message>
        <source>Step %1 %2: %3</source>
        <translation>第 %1 步 %2：%3</translation>
    </message>
</context>
<context>
    <name>StephostGui</name>
    <message>
        <source>Builds, edits, saves and runs flows of operation plug-ins in a window.</source>
        <translation>在窗口中创建、编辑、保存和运行操作插件的流程。</translation>
    </message>
    <message>
        <source>Run the flow as soon as the window is shown, as Run (F5) does.</source>
        <translation>窗口显示后立即运行流程，与“运行”（F5）相同。</translation>
    </message>
    <message>
        <source>Once the window is shown and a run asked for with --run is over, save a picture of the window to FILE (PNG) and close the window.</source>
        <translation>窗口显示且 --run 要求的运行结束后，将窗口截图保存到 FILE（PNG）并关闭窗口。</translation>
    </message>
    <message>
        <source>A flow to open, JSON or binary.</source>
        <translation>要打开的流程，JSON 或二进制格式。</translation>
    </message>
    <message>
        <source>at most one flow can be opened (--help shows the usage)</source>
        <translation>最多只能打开一个流程（--help 可查看用法）</translation>
    </message>
    <message>
        <source>cannot save the picture of the window to %1</source>
        <translation>无法将窗口截图保存到 %1</translation>
    </message>
    <message>
        <source>Load this plug-in library (repeatable); without it, every library in the plug-ins folder is tried:
%1</source>
        <translation>加载此插件库（可重复使用）；未指定时逐个尝试插件文件夹中的所有库：
%1</translation>
    </message>
</context>
<context>
    <name>UndoRunDialog</name>
    <message>
        <source>Remove</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Remove folder</source>
        <translation>删除文件夹</translation>
    </message>
    <message>
        <source>Remove unfinished file</source>
        <translation>删除未写完的文件</translation>
    </message>
    <message>
        <source>Rename back</source>
        <translation>改回原名</translation>
    </message>
    <message>
        <source>Put back</source>
        <translation>放回</translation>
    </message>
    <message>
        <source>Write back</source>
        <translation>写回原内容</translation>
    </message>
    <message>
        <source>Cut back</source>
        <translation>截回原长度</translation>
    </message>
    <message>
        <source>%1 (from %2)</source>
        <translation>%1（由 %2 改回）</translation>
    </message>
    <message>
        <source>Undo last run</source>
        <translation>撤销上次运行</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>更改</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>路径</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>原因</translation>
    </message>
    <message>
        <source>Take back the run of %1?</source>
        <translation>撤销 %1 的运行吗？</translation>
    </message>
    <message numerus="yes">
        <source>Will be restored: %n path(s)</source>
        <translation>
            <numerusform>将恢复：%n 个路径</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Changed since the run, left as they are: %n path(s)</source>
        <translation>
            <numerusform>运行后已被更改、保持原样：%n 个路径</numerusform>
        </translation>
    </message>
    <message>
        <source>Undo run</source>
        <translation>撤销运行</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>Left: %1 (%2)</source>
        <translation>未恢复：%1（%2）</translation>
    </message>
    <message numerus="yes">
        <source>Run undone, %n path(s) restored</source>
        <translation>
            <numerusform>已撤销运行，恢复了 %n 个路径</numerusform>
        </translation>
    </message>
    <message>
        <source>Not undone: %1</source>
        <translation>未撤销：%1</translation>
    </message>
    <message numerus="yes">
        <source>Run partly undone, %1 restored, %n left as they were changed since</source>
        <translation>
            <numerusform>已部分撤销运行，恢复了 %1 个路径，%n 个因运行后已被更改而保持原样</numerusform>
        </translation>
    </message>
    <message>
        <source>an unsaved flow</source>
        <translation>未保存的流程</translation>
    </message>
    <message>
        <source>Flow: %1, working folder: %2</source>
        <translation>流程：%1，工作文件夹：%2</translation>
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
<context>
    <name>WorkingFolderBar</name>
    <message>
        <source>Change…</source>
        <translation>更改…</translation>
    </message>
    <message>
        <source>Choose the folder relative paths resolve in</source>
        <translation>选择相对路径所依据的文件夹</translation>
    </message>
    <message>
        <source>Working folder: %1</source>
        <translation>工作文件夹：%1</translation>
    </message>
    <message>
        <source>, </source>
        <translation>，</translation>
    </message>
    <message>
        <source>⚠ The files the flow starts from are not in this folder (%1): choose the folder with Change….</source>
        <translation>⚠ 流程要处理的文件不在这个文件夹中（%1）：请用“更改…”选择文件夹。</translation>
    </message>
</context>
<context>
    <name>stephost</name>
    <message>
        <source>%1 and %2</source>
        <translation>%1 和 %2</translation>
    </message>
    <message>
        <source>show this help</source>
        <translation>显示此帮助</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>未指定命令</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>未知选项 %1</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1 不接受值</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 需要一个值</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>未知命令“%1”</translation>
    </message>
    <message>
        <source>usage: stephost %1</source>
        <translation>用法：stephost %1</translation>
    </message>
    <message>
        <source>%1 only goes with the %2 command</source>
        <translation>%1 只能与 %2 命令一起使用</translation>
    </message>
    <message>
        <source>%1 only go with the %2 command</source>
        <translation>%1 只能与 %2 命令一起使用</translation>
    </message>
    <message>
        <source>Commands:</source>
        <translation>命令：</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>选项：</translation>
    </message>
    <message>
        <source>(%1) %2</source>
        <translation>（%1）%2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>no plug-in found in %1 (use --plugin FILE)</source>
        <translation>在 %1 中未找到插件（可用 --plugin FILE 指定）</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 毫秒</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>[%1/%2] %3 …</source>
        <translation>[%1/%2] %3 …</translation>
    </message>
    <message>
        <source>no loaded plug-in provides the step type &quot;%1&quot;</source>
        <translation>已加载的插件均未提供步骤类型“%1”</translation>
    </message>
    <message>
        <source>save and load every step before it runs; a setting
that changes on the way is an error</source>
        <translation>每个步骤运行前先保存再加载；其间有设置
发生变化即报错</translation>
    </message>
    <message>
        <source>also write the report to FILE</source>
        <translation>同时将报告写入 FILE</translation>
    </message>
    <message>
        <source>report only these variables (comma-separated);
--vars &quot;&quot; reports none</source>
        <translation>报告中只列出这些变量（以逗号分隔）；
--vars &quot;&quot; 不列出任何变量</translation>
    </message>
    <message>
        <source>Usage: stephost [--plugin FILE]... [--legacy-encoding NAME] COMMAND ...</source>
        <translation>用法：stephost [--plugin FILE]... [--legacy-encoding NAME] COMMAND ...</translation>
    </message>
    <message>
        <source>Loads operation plug-ins and lists, inspects, converts and runs flows.</source>
        <translation>加载操作插件，列出、查看、转换和运行流程。</translation>
    </message>
    <message>
        <source>load this plug-in library (repeatable); without it, every
library in the plug-ins folder is tried:
%1</source>
        <translation>加载此插件库（可重复使用）；未指定时逐个尝试
插件文件夹中的所有库：
%1</translation>
    </message>
    <message>
        <source>the code page of text files without a mark that are not
UTF-8 (such as GB18030); without it GB18030 in a Chinese
locale, else the locale&apos;s codec</source>
        <translation>不带字节顺序标记且非 UTF-8 的文本文件所用的代码页
（如 GB18030）；未指定时，中文环境下为 GB18030，
否则为区域设置的编码</translation>
    </message>
    <message>
        <source>the loaded plug-ins and their prototypes, as JSON</source>
        <translation>以 JSON 列出已加载的插件及其原型</translation>
    </message>
    <message>
        <source>the property schema of every prototype (or of TYPE), as JSON</source>
        <translation>以 JSON 输出每个原型（或 TYPE）的属性模式</translation>
    </message>
    <message>
        <source>run a flow (JSON or binary) and print its report as JSON</source>
        <translation>运行流程（JSON 或二进制），以 JSON 输出报告</translation>
    </message>
    <message>
        <source>convert a flow into the binary flow format</source>
        <translation>将流程转换为二进制流程格式</translation>
    </message>
    <message>
        <source>print a binary flow as a JSON flow</source>
        <translation>将二进制流程输出为 JSON 流程</translation>
    </message>
    <message>
        <source>%1 (stephost --help shows the usage)</source>
        <translation>%1（stephost --help 可查看用法）</translation>
    </message>
    <message>
        <source>cannot write to standard output</source>
        <translation>无法写入标准输出</translation>
    </message>
    <message>
        <source>every file change the flow would make, nothing touched: a table,
or with --json the run report plus &quot;changes&quot; and &quot;skipped&quot;</source>
        <translation>流程将做的每项文件更改，不动任何文件：输出表格，
或加 --json 输出运行报告及 &quot;changes&quot; 和 &quot;skipped&quot;</translation>
    </message>
    <message>
        <source>print the plan as JSON</source>
        <translation>以 JSON 输出计划</translation>
    </message>
    <message>
        <source>%1 holds no journal of a run</source>
        <translation>%1 中没有运行日志</translation>
    </message>
    <message>
        <source>record every file change in DIR, before it is made,
so that &quot;stephost undo DIR&quot; can take the run back</source>
        <translation>在每次文件更改之前将其记录到 DIR，
以便 &quot;stephost undo DIR&quot; 撤销这次运行</translation>
    </message>
    <message>
        <source>take back the run recorded in DIR and print what was restored and
what was left, as JSON; exit 1 when something was left</source>
        <translation>撤销 DIR 中记录的运行，并以 JSON 打印已恢复和
未恢复的内容；有未恢复的内容时退出状态为 1</translation>
    </message>
    <message>
        <source>A JSON flow:
  {&quot;variables&quot;: {&quot;found&quot;: {&quot;type&quot;: &quot;bool&quot;},
                 &quot;files&quot;: {&quot;type&quot;: &quot;list&quot;, &quot;value&quot;: [&quot;a.txt&quot;]}},
   &quot;steps&quot;: [{&quot;type&quot;: &quot;file.exists&quot;,
              &quot;settings&quot;: {&quot;fileName&quot;: &quot;a.txt&quot;, &quot;resultVar&quot;: &quot;found&quot;}}]}
Variable types: string, list, datatable, bool, number, object (none: undeclared).
Relative paths resolve against the current directory.

Exit status: 0 the command did its job (steps may have logged warnings), 1 a flow that
cannot be read or a host error, 2 a bad command line, 130 or 143 a run or plan stopped
by Ctrl+C (SIGINT) or SIGTERM: the step under way stops, the report says what was done.
</source>
        <translation>JSON 流程示例：
  {&quot;variables&quot;: {&quot;found&quot;: {&quot;type&quot;: &quot;bool&quot;},
                 &quot;files&quot;: {&quot;type&quot;: &quot;list&quot;, &quot;value&quot;: [&quot;a.txt&quot;]}},
   &quot;steps&quot;: [{&quot;type&quot;: &quot;file.exists&quot;,
              &quot;settings&quot;: {&quot;fileName&quot;: &quot;a.txt&quot;, &quot;resultVar&quot;: &quot;found&quot;}}]}
变量类型：string、list、datatable、bool、number、object（不写：未声明）。
相对路径按当前目录解析。

退出状态：0 命令已完成（步骤可能记录了警告），1 流程无法读取或主机出错，
2 命令行有误，130 或 143 运行或计划被 Ctrl+C（SIGINT）或 SIGTERM 停止：
正在进行的步骤停下，报告列出已完成的内容。
</translation>
    </message>
</context>
</TS>
