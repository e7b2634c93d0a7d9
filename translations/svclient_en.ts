<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>DeviceDialog</name>
    <message>
        <source>串行口设备</source>
        <translation>Serial Port Devices</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>制造商</source>
        <translation>Manufacturer</translation>
    </message>
    <message>
        <source>序列号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>未找到串行口设备。</source>
        <translation>No serial port device found.</translation>
    </message>
    <message>
        <source>设备：</source>
        <translation>Device:</translation>
    </message>
    <message>
        <source>端口号：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>Vantrel软件格式(*.csv)|*.CSV</source>
        <translation>Vantrel format (*.csv)|*.CSV</translation>
    </message>
    <message>
        <source>逗号分隔符文件(*.csv)|*.CSV|HYPACK格式(*.vel)|*.VEL</source>
        <translation>Comma-separated file (*.csv)|*.CSV|HYPACK format (*.vel)|*.VEL</translation>
    </message>
</context>
<context>
    <name>ProbeMessages</name>
    <message>
        <source>声速仪无应答，请检查电缆连接和电池电量！</source>
        <translation>The probe does not answer. Check the cable and the battery!</translation>
    </message>
    <message>
        <source>该设备不支持此命令！</source>
        <translation>This probe does not support the command!</translation>
    </message>
    <message>
        <source>标定参数读出错误，需要厂家维修！</source>
        <translation>The calibration could not be read: the probe needs the maker&apos;s service!</translation>
    </message>
    <message>
        <source>接收数据校验和错误！</source>
        <translation>Checksum error in the received data!</translation>
    </message>
    <message>
        <source>计算机时间为：%1
声速仪时间为：%2</source>
        <translation>Computer time: %1
Probe time: %2</translation>
    </message>
    <message>
        <source>写入正确！</source>
        <translation>Written.</translation>
    </message>
    <message>
        <source>写入错误或该设备不支持此命令！</source>
        <translation>Write error, or the probe does not support the command!</translation>
    </message>
    <message>
        <source>当前参数与要设置参数相同，不必重置！</source>
        <translation>The probe already has this interval: nothing to set.</translation>
    </message>
    <message>
        <source>请先选择要设置的记录间距！</source>
        <translation>Choose the recording interval to set first!</translation>
    </message>
    <message>
        <source>记录间距数值错误！</source>
        <translation>The recording interval is not valid!</translation>
    </message>
    <message>
        <source>文件已经删除！</source>
        <translation>The files have been deleted.</translation>
    </message>
    <message>
        <source>文件删除时出错！</source>
        <translation>Error while deleting the files!</translation>
    </message>
    <message>
        <source>共有 %1 个文件</source>
        <translation>%1 files</translation>
    </message>
    <message>
        <source>共有 %1 个文件（非正常结束）</source>
        <translation>%1 files (ended abnormally)</translation>
    </message>
    <message>
        <source>共有 %1 个文件（校验和错误）;</source>
        <translation>%1 files (checksum error);</translation>
    </message>
    <message>
        <source>传输%1个文件（传输完成）</source>
        <translation>%1 files transferred (complete)</translation>
    </message>
    <message>
        <source>传输%1个文件（非正常结束）</source>
        <translation>%1 files transferred (ended abnormally)</translation>
    </message>
    <message>
        <source>传输%1个文件（因校验和错误中断了传输）</source>
        <translation>%1 files transferred (stopped by a checksum error)</translation>
    </message>
    <message>
        <source>传输%1个文件（因建立数据库文件错误中断了传输）</source>
        <translation>%1 files transferred (stopped: a data file could not be created)</translation>
    </message>
    <message>
        <source>传输%1个文件（传输已取消）</source>
        <translation>%1 files transferred (cancelled)</translation>
    </message>
    <message>
        <source>剩余内存：</source>
        <translation>, free memory: </translation>
    </message>
    <message>
        <source>打开串行口时出错！</source>
        <translation>Error opening the serial port!</translation>
    </message>
    <message>
        <source>波特率设置错误！</source>
        <translation>Error setting the baud rate!</translation>
    </message>
    <message>
        <source>设备号：</source>
        <translation>Device number: </translation>
    </message>
    <message>
        <source>文件号：</source>
        <translation>File number: </translation>
    </message>
    <message>
        <source>删除声速仪中的全部 %1 个文件？删除后无法恢复。</source>
        <translation>Delete all %1 files in the probe? They cannot be recovered.</translation>
    </message>
    <message>
        <source>删除声速仪中的全部文件？删除后无法恢复。</source>
        <translation>Delete all files in the probe? They cannot be recovered.</translation>
    </message>
    <message>
        <source>删除文件</source>
        <translation>Delete Files</translation>
    </message>
</context>
<context>
    <name>ProfileDocument</name>
    <message>
        <source>数据文件错误或空数据文件！</source>
        <translation>Bad or empty data file!</translation>
    </message>
    <message>
        <source>数据量不够，不能绘制声速曲线！</source>
        <translation>Not enough data to draw the sound velocity curve!</translation>
    </message>
    <message>
        <source>声速剖面数据不足！</source>
        <translation>Not enough sound velocity profile data!</translation>
    </message>
    <message>
        <source>建立数据文件时错误！
</source>
        <translation>Error creating the data file!
</translation>
    </message>
</context>
<context>
    <name>ProfileTableModel</name>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>深度</source>
        <translation>Depth</translation>
    </message>
    <message>
        <source>温度</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>声速</source>
        <translation>Sound velocity</translation>
    </message>
</context>
<context>
    <name>ReportPainter</name>
    <message>
        <source>无法开始打印</source>
        <translation>Printing could not start</translation>
    </message>
</context>
<context>
    <name>Storage</name>
    <message>
        <source>无法写入文件 %1：%2</source>
        <translation>Cannot write file %1: %2</translation>
    </message>
    <message>
        <source>“%1”不是字段 %2 的有效值。</source>
        <translation>&quot;%1&quot; is not a valid value for %2.</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>深度</source>
        <translation>Depth</translation>
    </message>
    <message>
        <source>声速</source>
        <translation>Sound velocity</translation>
    </message>
    <message>
        <source>温度</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Remark</translation>
    </message>
    <message>
        <source>过滤</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>字段 %1 必须有值！</source>
        <translation>%1 must have a value!</translation>
    </message>
    <message>
        <source>数值无效。</source>
        <translation>Not a valid number.</translation>
    </message>
    <message>
        <source>文件夹不存在。</source>
        <translation>The folder does not exist.</translation>
    </message>
    <message>
        <source>路径中有一项不是文件夹。</source>
        <translation>A part of the path is not a folder.</translation>
    </message>
    <message>
        <source>没有写入权限。</source>
        <translation>No permission to write.</translation>
    </message>
    <message>
        <source>磁盘是只读的。</source>
        <translation>The disk is read-only.</translation>
    </message>
    <message>
        <source>磁盘已满。</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>这是一个文件夹。</source>
        <translation>This is a folder.</translation>
    </message>
    <message>
        <source>文件名太长。</source>
        <translation>The file name is too long.</translation>
    </message>
    <message>
        <source>文件名无效。</source>
        <translation>The file name is not valid.</translation>
    </message>
    <message>
        <source>文件正被其他程序使用。</source>
        <translation>The file is in use by another program.</translation>
    </message>
    <message>
        <source>磁盘读写错误。</source>
        <translation>Disk read or write error.</translation>
    </message>
    <message>
        <source>打开的文件太多。</source>
        <translation>Too many open files.</translation>
    </message>
    <message>
        <source>系统错误（代码 %1）。</source>
        <translation>System error (code %1).</translation>
    </message>
    <message>
        <source>无法创建数据文件：%1
%2</source>
        <translation>Cannot create the data file: %1
%2</translation>
    </message>
    <message>
        <source>未指定文件名。</source>
        <translation>No file name given.</translation>
    </message>
    <message>
        <source>文件无法读取。</source>
        <translation>The file cannot be read.</translation>
    </message>
    <message>
        <source>不是剖面数据文件（表结构不符）。</source>
        <translation>Not a profile data file (its table does not match).</translation>
    </message>
    <message>
        <source>文件不存在。</source>
        <translation>The file does not exist.</translation>
    </message>
    <message>
        <source>文件无法读取：%1</source>
        <translation>The file cannot be read: %1</translation>
    </message>
    <message>
        <source>不是剖面数据文件。</source>
        <translation>Not a profile data file.</translation>
    </message>
    <message>
        <source>文件已损坏（长度不足）。</source>
        <translation>The file is damaged (too short).</translation>
    </message>
    <message>
        <source>文件已损坏（文件头无效）。</source>
        <translation>The file is damaged (bad header).</translation>
    </message>
    <message>
        <source>文件已损坏（长度不符）。</source>
        <translation>The file is damaged (wrong length).</translation>
    </message>
    <message>
        <source> 是旧格式数据文件，不能被覆盖!</source>
        <translation> is a data file of the old format and cannot be overwritten!</translation>
    </message>
    <message>
        <source> 正在使用，不能被覆盖!</source>
        <translation> is in use and cannot be overwritten!</translation>
    </message>
    <message>
        <source> 是原始数据，不能被覆盖!</source>
        <translation> holds raw data and cannot be overwritten!</translation>
    </message>
    <message>
        <source>无法打开数据文件：%1
%2</source>
        <translation>Cannot open the data file: %1
%2</translation>
    </message>
    <message>
        <source>数据表打开时不能更改表名。</source>
        <translation>The table name cannot change while the table is open.</translation>
    </message>
    <message>
        <source>旧格式数据文件只能查看，不能%1：%2</source>
        <translation>A data file of the old format can only be viewed; cannot %1: %2</translation>
    </message>
    <message>
        <source>数据文件只读，不能%1：%2</source>
        <translation>The data file is read-only; cannot %1: %2</translation>
    </message>
    <message>
        <source>数据表未打开，不能%1。</source>
        <translation>No table is open; cannot %1.</translation>
    </message>
    <message>
        <source>移动记录</source>
        <translation>move to a record</translation>
    </message>
    <message>
        <source>数据无法写入文件：%1
%2</source>
        <translation>The data cannot be written to the file: %1
%2</translation>
    </message>
    <message>
        <source>添加记录</source>
        <translation>add a record</translation>
    </message>
    <message>
        <source>插入记录</source>
        <translation>insert a record</translation>
    </message>
    <message>
        <source>编辑记录</source>
        <translation>edit a record</translation>
    </message>
    <message>
        <source>保存记录</source>
        <translation>save a record</translation>
    </message>
    <message>
        <source>删除记录</source>
        <translation>delete a record</translation>
    </message>
    <message>
        <source>空数据表不能进行这个操作。</source>
        <translation>This cannot be done on an empty table.</translation>
    </message>
    <message>
        <source>文件上次没有正常关闭，只读时无法恢复。</source>
        <translation>The file was not closed properly last time and cannot be recovered read-only.</translation>
    </message>
    <message>
        <source>文件是只读的。</source>
        <translation>The file is read-only.</translation>
    </message>
    <message>
        <source>文件已损坏。</source>
        <translation>The file is damaged.</translation>
    </message>
    <message>
        <source>内存不足。</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>文件无法打开。</source>
        <translation>The file cannot be opened.</translation>
    </message>
    <message>
        <source>读写错误。</source>
        <translation>Read or write error.</translation>
    </message>
    <message>
        <source>数据库错误（代码 %1）。</source>
        <translation>Database error (code %1).</translation>
    </message>
    <message>
        <source>文件中没有数据。</source>
        <translation>The file holds no data.</translation>
    </message>
</context>
<context>
    <name>SurveyExport</name>
    <message>
        <source>平均声速剖面不能导出为这种格式！</source>
        <translation>An average sound velocity profile cannot be exported in this format!</translation>
    </message>
    <message>
        <source>处理后的声速剖面不足两个点，不能导出这种格式！</source>
        <translation>The processed profile has fewer than two points and cannot be exported in this format!</translation>
    </message>
    <message>
        <source>导出由原始数据合并、平滑得到的声速剖面，</source>
        <translation>Exporting the profile merged and smoothed from the raw data, </translation>
    </message>
    <message>
        <source>导出保存的声速剖面，</source>
        <translation>Exporting the saved profile, </translation>
    </message>
    <message>
        <source>共 %1 点</source>
        <translation>%1 points</translation>
    </message>
    <message>
        <source>（深度单调、去重后 %1 点，按 %2 m/s 容差抽稀</source>
        <translation> (%1 points with depths monotonic and unique, thinned within %2 m/s</translation>
    </message>
    <message>
        <source>，受格式点数限制，最大偏差 %1 m/s</source>
        <translation>, limited by the format&apos;s point count, largest deviation %1 m/s</translation>
    </message>
    <message>
        <source>）</source>
        <translation>)</translation>
    </message>
</context>
<context>
    <name>SurveyFormats</name>
    <message>
        <source>CARIS格式(*.svp)|*.SVP</source>
        <translation>CARIS format (*.svp)|*.SVP</translation>
    </message>
    <message>
        <source>Kongsberg格式(*.asvp)|*.ASVP</source>
        <translation>Kongsberg format (*.asvp)|*.ASVP</translation>
    </message>
    <message>
        <source>HYPACK含位置格式(*.vel)|*.VEL</source>
        <translation>HYPACK format with position (*.vel)|*.VEL</translation>
    </message>
    <message>
        <source>Sonardyne格式(*.pro)|*.PRO</source>
        <translation>Sonardyne format (*.pro)|*.PRO</translation>
    </message>
    <message>
        <source>QPS格式(*.bsvp)|*.BSVP</source>
        <translation>QPS format (*.bsvp)|*.BSVP</translation>
    </message>
    <message>
        <source>ELAC格式(*.sva)|*.SVA</source>
        <translation>ELAC format (*.sva)|*.SVA</translation>
    </message>
    <message>
        <source>GIS逗号分隔符文件(*.csv)|*.CSV</source>
        <translation>GIS comma-separated file (*.csv)|*.CSV</translation>
    </message>
    <message>
        <source>数据文件的第一个记录没有时间，不能导出这种格式！</source>
        <translation>The first record of the data file has no time: it cannot be exported in this format!</translation>
    </message>
    <message>
        <source>这种格式需要测点位置，请输入纬度和经度！</source>
        <translation>This format needs the station&apos;s position: enter its latitude and longitude!</translation>
    </message>
    <message>
        <source>处理后的声速剖面不足两个点，不能导出这种格式！</source>
        <translation>The processed profile has fewer than two points and cannot be exported in this format!</translation>
    </message>
</context>
<context>
    <name>TDlgDensity</name>
    <message>
        <source>水密度</source>
        <translation>Water Density</translation>
    </message>
    <message>
        <source>输入水密度</source>
        <translation>Water density</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>密度值不正确!</source>
        <translation>The density is not valid!</translation>
    </message>
</context>
<context>
    <name>TPathDlg</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TSvMain</name>
    <message>
        <source>VX4400声速仪客户软件</source>
        <translation>VX4400 Sound Velocity Profiler</translation>
    </message>
    <message>
        <source>正在绘制声速曲线......</source>
        <translation>Drawing the sound velocity curve......</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>计算平均声速</source>
        <translation>Average Sound Velocity</translation>
    </message>
    <message>
        <source>请输入起算深度 (米)</source>
        <translation>Start depth (m)</translation>
    </message>
    <message>
        <source>正在计算平均声速......</source>
        <translation>Computing the average sound velocity......</translation>
    </message>
    <message>
        <source>最大深度：</source>
        <translation>Maximum depth: </translation>
    </message>
    <message>
        <source>m
平均声速：</source>
        <translation> m
Average sound velocity: </translation>
    </message>
    <message>
        <source>保存曲线图</source>
        <translation>Save Chart</translation>
    </message>
    <message>
        <source>WINDOWS位图文件(*.bmp)|*.BMP</source>
        <translation>Windows bitmap (*.bmp)|*.BMP</translation>
    </message>
    <message>
        <source>不能建立通讯记录文件：</source>
        <translation>Cannot create the exchange dump file: </translation>
    </message>
    <message>
        <source>数据文件的第一个记录没有时间，不能导出这种格式！</source>
        <translation>The first record of the data file has no time: it cannot be exported in this format!</translation>
    </message>
    <message>
        <source>这种格式需要测点位置，请输入纬度和经度！</source>
        <translation>This format needs the station&apos;s position: enter its latitude and longitude!</translation>
    </message>
    <message>
        <source>测点位置格式错误：</source>
        <translation>Bad station position: </translation>
    </message>
    <message>
        <source>
请输入十进制度（22.5431）或度:分:秒（22:32:35.2），南纬、西经为负。</source>
        <translation>
Enter decimal degrees (22.5431) or degrees:minutes:seconds (22:32:35.2); south and west are negative.</translation>
    </message>
    <message>
        <source>探头时钟时区错误：</source>
        <translation>Bad probe clock zone: </translation>
    </message>
    <message>
        <source>
请输入 -12 到 +14 之间的UTC偏移小时数（如 8、-3.5、+05:45）。</source>
        <translation>
Enter the offset from UTC in hours, from -12 to +14 (for example 8, -3.5, +05:45).</translation>
    </message>
    <message>
        <source>批量导出</source>
        <translation>Batch Export</translation>
    </message>
    <message>
        <source>批量导出：选择数据文件</source>
        <translation>Batch Export: Choose Data Files</translation>
    </message>
    <message>
        <source>数据库文件(*.db)|*.DB</source>
        <translation>Data files (*.db)|*.DB</translation>
    </message>
    <message>
        <source>逗号分隔符文件(*.csv)</source>
        <translation>Comma-separated file (*.csv)</translation>
    </message>
    <message>
        <source>HYPACK格式(*.vel)</source>
        <translation>HYPACK format (*.vel)</translation>
    </message>
    <message>
        <source>Vantrel软件格式(*.csv)</source>
        <translation>Vantrel format (*.csv)</translation>
    </message>
    <message>
        <source>导出格式：</source>
        <translation>Export format:</translation>
    </message>
    <message>
        <source>请输入声速间隔（米/秒）：</source>
        <translation>Sound velocity step (m/s):</translation>
    </message>
    <message>
        <source>文件夹中已有 %1 个同名的导出文件，是否覆盖？</source>
        <translation>The folder already holds %1 export files of these names. Overwrite them?</translation>
    </message>
    <message>
        <source>数据文件错误或空数据文件！</source>
        <translation>Bad or empty data file!</translation>
    </message>
    <message>
        <source>平均声速剖面只能导出为Vantrel软件格式！</source>
        <translation>An average sound velocity profile can only be exported in Vantrel format!</translation>
    </message>
    <message>
        <source>Vantrel软件格式只用于平均声速剖面！</source>
        <translation>The Vantrel format is only for average sound velocity profiles!</translation>
    </message>
    <message>
        <source>正在导出 %1/%2：%3......</source>
        <translation>Exporting %1/%2: %3......</translation>
    </message>
    <message>
        <source>：已取消</source>
        <translation>: cancelled</translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>已导出 %1 个文件到 %2</source>
        <translation>%1 files exported to %2</translation>
    </message>
    <message>
        <source>，%1 个文件未导出：
</source>
        <translation>; %1 files not exported:
</translation>
    </message>
    <message>
        <source>。</source>
        <translation>.</translation>
    </message>
    <message>
        <source>
版本 %1

</source>
        <translation>
Version %1

</translation>
    </message>
    <message>
        <source>%1	帮助

设置文件：%2</source>
        <translation>%1	Help

Settings file: %2</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>自容方式</source>
        <translation>Self-Contained</translation>
    </message>
    <message>
        <source>工作参数</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>数据表格</source>
        <translation>Data Table</translation>
    </message>
    <message>
        <source>声速曲线</source>
        <translation>SV Curve</translation>
    </message>
    <message>
        <source>海洋声速测量 · VX4400 客户软件</source>
        <translation>Sound velocity · VX4400</translation>
    </message>
    <message>
        <source>编号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>时钟</source>
        <translation>Clock</translation>
    </message>
    <message>
        <source>计算机时间：</source>
        <translation>Computer time:</translation>
    </message>
    <message>
        <source>读出</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>校准</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>记录间距 (米)</source>
        <translation>Recording Interval (m)</translation>
    </message>
    <message>
        <source>重置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>文件保存在：</source>
        <translation>Save files in:</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>文件列表</source>
        <translation>File List</translation>
    </message>
    <message>
        <source>上传</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>参数设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>指定存储文件</source>
        <translation>Storage File</translation>
    </message>
    <message>
        <source>测点描述</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>密度</source>
        <translation>Density</translation>
    </message>
    <message>
        <source>端口号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>设备…</source>
        <translation>Device…</translation>
    </message>
    <message>
        <source>工作模式</source>
        <translation>Recording Mode</translation>
    </message>
    <message>
        <source>定深 (米)</source>
        <translation>Depth (m)</translation>
    </message>
    <message>
        <source>定时 (秒)</source>
        <translation>Time (s)</translation>
    </message>
    <message>
        <source>声速</source>
        <translation>Sound velocity</translation>
    </message>
    <message>
        <source>温度</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>电源开</source>
        <translation>Power On</translation>
    </message>
    <message>
        <source>声速测量</source>
        <translation>Sound velocity measurement</translation>
    </message>
    <message>
        <source>开始记录</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>停！</source>
        <translation>Stop!</translation>
    </message>
    <message>
        <source>声速 (米/秒)</source>
        <translation>Sound Velocity (m/s)</translation>
    </message>
    <message>
        <source>深度 (米)</source>
        <translation>Depth (m)</translation>
    </message>
    <message>
        <source>温度 (℃)</source>
        <translation>Temperature (℃)</translation>
    </message>
    <message>
        <source>备注：</source>
        <translation>Remark:</translation>
    </message>
    <message>
        <source>过滤控制</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>深度层 (米)</source>
        <translation>Layer (m)</translation>
    </message>
    <message>
        <source>过滤</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>打印预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>深度 (m)</source>
        <translation>Depth (m)</translation>
    </message>
    <message>
        <source>声速 (m/s)</source>
        <translation>Sound velocity (m/s)</translation>
    </message>
    <message>
        <source>平均声速</source>
        <translation>Average SV</translation>
    </message>
    <message>
        <source>声速(上)</source>
        <translation>SV (up)</translation>
    </message>
    <message>
        <source>声速(下)</source>
        <translation>SV (down)</translation>
    </message>
    <message>
        <source>温度(上)</source>
        <translation>Temp. (up)</translation>
    </message>
    <message>
        <source>温度(下)</source>
        <translation>Temp. (down)</translation>
    </message>
    <message>
        <source>数据分析</source>
        <translation>Analyse Data</translation>
    </message>
    <message>
        <source>删除记录</source>
        <translation>Delete Record</translation>
    </message>
    <message>
        <source>添加记录</source>
        <translation>Add Record</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存声速剖面</source>
        <translation>Save Sound Velocity Profile</translation>
    </message>
    <message>
        <source>保存平均声速</source>
        <translation>Save Average Sound Velocity</translation>
    </message>
    <message>
        <source>双向声速</source>
        <translation>Sound Velocity Down and Up</translation>
    </message>
    <message>
        <source>双向温度</source>
        <translation>Temperature Down and Up</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Average</translation>
    </message>
    <message>
        <source>串行口工作不正常！</source>
        <translation>The serial port is not working!</translation>
    </message>
    <message>
        <source>请先指定存储文件！</source>
        <translation>Choose the storage file first!</translation>
    </message>
    <message>
        <source>密度值不正确!</source>
        <translation>The density is not valid!</translation>
    </message>
    <message>
        <source>建立数据文件时错误！
</source>
        <translation>Error creating the data file!
</translation>
    </message>
    <message>
        <source>记录数据时错误！
</source>
        <translation>Error recording the data!
</translation>
    </message>
    <message>
        <source>导出文件</source>
        <translation>Export File</translation>
    </message>
    <message>
        <source>正在导出......</source>
        <translation>Exporting......</translation>
    </message>
    <message>
        <source>保存为文本文件</source>
        <translation>Save as Text File</translation>
    </message>
    <message>
        <source>文本文件(*.txt)|*.TXT</source>
        <translation>Text files (*.txt)|*.TXT</translation>
    </message>
    <message>
        <source>选择要打开的文件</source>
        <translation>Choose the File to Open</translation>
    </message>
    <message>
        <source>无数据文件！</source>
        <translation>No data file!</translation>
    </message>
    <message>
        <source>提示信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>旧格式数据文件只能查看，修改前请另存为新格式文件</source>
        <translation>An old-format data file can only be viewed: save it in the new format before changing it</translation>
    </message>
    <message>
        <source>数据文件只读，修改前请另存为新文件</source>
        <translation>The data file is read-only: save it as a new file before changing it</translation>
    </message>
    <message>
        <source>正在转换......</source>
        <translation>Converting......</translation>
    </message>
    <message>
        <source>空数据文件不能进行这个操作！</source>
        <translation>This cannot be done on an empty data file!</translation>
    </message>
    <message>
        <source>不能删除第一个记录！</source>
        <translation>The first record cannot be deleted!</translation>
    </message>
    <message>
        <source>删除第一个记录？它保存测点描述、时间和数据类型。</source>
        <translation>Delete the first record? It holds the station, the time and the kind of data.</translation>
    </message>
    <message>
        <source>删除当前记录？</source>
        <translation>Delete the current record?</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>不能插入第一个记录！</source>
        <translation>No record can be inserted before the first!</translation>
    </message>
    <message>
        <source>测点1</source>
        <translation>Station 1</translation>
    </message>
</context>
<context>
    <name>Tcs</name>
    <message>
        <source>计算平均声速</source>
        <translation>Average Sound Velocity</translation>
    </message>
    <message>
        <source>请输入起算深度 (米)</source>
        <translation>Start depth (m)</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>输入数据中有非法字符!</source>
        <translation>The input holds characters that are not allowed!</translation>
    </message>
</context>
<context>
    <name>Tlogo</name>
    <message>
        <source>VX4400 声速剖面仪</source>
        <translation>VX4400 Sound Velocity Profiler</translation>
    </message>
    <message>
        <source>客户软件 · 正在启动……</source>
        <translation>Client · starting……</translation>
    </message>
    <message>
        <source>标志</source>
        <translation>Logo</translation>
    </message>
</context>
<context>
    <name>UploadFiles</name>
    <message>
        <source>清先指定存储路径！</source>
        <translation>Choose the storage folder first!</translation>
    </message>
    <message>
        <source>建立子目录出错:
</source>
        <translation>Error creating the folder:
</translation>
    </message>
</context>
<context>
    <name>WidgetPrompts</name>
    <message>
        <source>VX4400声速仪客户软件</source>
        <translation>VX4400 Sound Velocity Profiler</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>22.5431 或 22:32:35.2</source>
        <translation>22.5431 or 22:32:35.2</translation>
    </message>
    <message>
        <source>114.0579 或 114:03:28.4</source>
        <translation>114.0579 or 114:03:28.4</translation>
    </message>
    <message>
        <source>纬度：</source>
        <translation>Latitude:</translation>
    </message>
    <message>
        <source>纬度（可不填）：</source>
        <translation>Latitude (optional):</translation>
    </message>
    <message>
        <source>经度：</source>
        <translation>Longitude:</translation>
    </message>
    <message>
        <source>经度（可不填）：</source>
        <translation>Longitude (optional):</translation>
    </message>
    <message>
        <source>探头时钟时区（UTC偏移，小时）：</source>
        <translation>Probe clock zone (UTC offset, hours):</translation>
    </message>
    <message>
        <source>文件中的时间按此时区换算为UTC。</source>
        <translation>The times in the file are converted from this zone to UTC.</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>数据报告</source>
        <translation>Data Report</translation>
    </message>
    <message>
        <source>保存为文本文件</source>
        <translation>Save as Text File</translation>
    </message>
</context>
</TS>
