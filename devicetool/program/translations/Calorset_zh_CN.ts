<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
    <context>
        <name />
        <message id="SaveFile">
            <source>Save file</source>
            <translation>保存文件</translation>
        </message>
        <message id="OpenFile">
            <source>Open file</source>
            <translation>打开文件</translation>
        </message>
        <message id="SelectFolder">
            <source>Select folder</source>
            <translation>选择文件夹</translation>
        </message>
        <message id="Success">
            <source>Success</source>
            <translation>成功</translation>
        </message>
        <message id="Fail">
            <source>Fail</source>
            <translation>失败</translation>
        </message>
        <message id="Settings">
            <source>Settings</source>
            <translation>设置</translation>
        </message>
        <message id="Language">
            <source>Language</source>
            <translation>语言</translation>
        </message>
        <message id="SaveDir">
            <source>Save folder</source>
            <translation>保存目录</translation>
        </message>
        <message id="ChartUpdateInterval">
            <source>Chart interval (s)</source>
            <translation>曲线采样间隔(秒)</translation>
        </message>
        <message id="ChartFifoSize">
            <source>Chart samples</source>
            <translation>曲线点数</translation>
        </message>
        <message id="DisplayFpsMax">
            <source>Max display FPS</source>
            <translation>最大显示帧率</translation>
        </message>
        <message id="Save">
            <source>Save</source>
            <translation>保存</translation>
        </message>
        <message id="Cancel">
            <source>Cancel</source>
            <translation>取消</translation>
        </message>
        <message id="Get">
            <source>Get</source>
            <translation>读取</translation>
        </message>
        <message id="Set">
            <source>Set</source>
            <translation>设置</translation>
        </message>
        <message id="Load">
            <source>Load</source>
            <translation>加载</translation>
        </message>
        <message id="DeviceWeiJu">
            <source>Lens table</source>
            <translation>镜头标定</translation>
        </message>
        <message id="DeviceFixDist">
            <source>Distance</source>
            <translation>距离修正</translation>
        </message>
        <message id="DeviceXCali">
            <source>XCali</source>
            <translation>XCali 标定</translation>
        </message>
        <message id="ReadWrite">
            <source>Read/write</source>
            <translation>可读写</translation>
        </message>
        <message id="DeviceName">
            <source>Camera name</source>
            <translation>设备名称</translation>
        </message>
        <message id="DataRatio">
            <source>Data rate divider</source>
            <translation>数据分频</translation>
        </message>
        <message id="SendRatio">
            <source>Send rate divider</source>
            <translation>发送分频</translation>
        </message>
        <message id="DataTransform">
            <source>Image transform</source>
            <translation>图像变换</translation>
        </message>
        <message id="DesmearLevel">
            <source>Desmear level</source>
            <translation>去拖影等级</translation>
        </message>
        <message id="FilterMedian">
            <source>Median filter</source>
            <translation>中值滤波</translation>
        </message>
        <message id="ReadOnly">
            <source>Read-only</source>
            <translation>只读</translation>
        </message>
        <message id="DeviceId">
            <source>Camera ID</source>
            <translation>设备编号</translation>
        </message>
        <message id="DeviceType">
            <source>Camera type</source>
            <translation>设备类型</translation>
        </message>
        <message id="FPAId">
            <source>Detector ID</source>
            <translation>探测器编号</translation>
        </message>
        <message id="HardwareId">
            <source>Hardware version</source>
            <translation>硬件版本</translation>
        </message>
        <message id="SoftwareId">
            <source>Software version</source>
            <translation>软件版本</translation>
        </message>
        <message id="DataWHF">
            <source>Width x height @ FPS</source>
            <translation>宽 x 高 @ 帧率</translation>
        </message>
        <message id="UseStaticIp">
            <source>Use static IP</source>
            <translation>使用静态 IP</translation>
        </message>
        <message id="StaticIp">
            <source>IP address</source>
            <translation>IP 地址</translation>
        </message>
        <message id="SubnetMask">
            <source>Subnet mask</source>
            <translation>子网掩码</translation>
        </message>
        <message id="Gateway">
            <source>Gateway</source>
            <translation>网关</translation>
        </message>
        <message id="MacAddr">
            <source>MAC address</source>
            <translation>MAC 地址</translation>
        </message>
        <message id="Dns">
            <source>DNS server</source>
            <translation>DNS 服务器</translation>
        </message>
        <message id="Dns2">
            <source>Second DNS server</source>
            <translation>备用 DNS 服务器</translation>
        </message>
        <message id="Mtu">
            <source>MTU</source>
            <translation>最大传输单元</translation>
        </message>
        <message id="LocationEnable">
            <source>Show location</source>
            <translation>显示位置</translation>
        </message>
        <message id="LocationX">
            <source>Location X</source>
            <translation>位置 X</translation>
        </message>
        <message id="LocationY">
            <source>Location Y</source>
            <translation>位置 Y</translation>
        </message>
        <message id="LocationName">
            <source>Location name</source>
            <translation>位置名称</translation>
        </message>
        <message id="TimeEnable">
            <source>Show time</source>
            <translation>显示时间</translation>
        </message>
        <message id="TimeX">
            <source>Time X</source>
            <translation>时间 X</translation>
        </message>
        <message id="TimeY">
            <source>Time Y</source>
            <translation>时间 Y</translation>
        </message>
        <message id="Color">
            <source>Color</source>
            <translation>颜色</translation>
        </message>
        <message id="onvif_version">
            <source>ONVIF version</source>
            <translation>ONVIF 版本</translation>
        </message>
        <message id="gb28181_version">
            <source>GB28181 version</source>
            <translation>GB28181 版本</translation>
        </message>
        <message id="modbus_version">
            <source>Modbus mode</source>
            <translation>Modbus 模式</translation>
        </message>
        <message id="onvif_enable">
            <source>ONVIF</source>
            <translation>ONVIF 服务</translation>
        </message>
        <message id="gb28181_enable">
            <source>GB28181</source>
            <translation>GB28181 服务</translation>
        </message>
        <message id="modbus_enable">
            <source>Modbus</source>
            <translation>Modbus 服务</translation>
        </message>
        <message id="kqdatavm_enable">
            <source>KQ data VM</source>
            <translation>KQ 数据服务</translation>
        </message>
        <message id="h5_enable">
            <source>Web (H5) viewer</source>
            <translation>网页(H5)浏览</translation>
        </message>
        <message id="Username">
            <source>User name</source>
            <translation>用户名</translation>
        </message>
        <message id="Password">
            <source>Password</source>
            <translation>密码</translation>
        </message>
        <message id="NtpServer">
            <source>NTP server</source>
            <translation>NTP 服务器</translation>
        </message>
        <message id="NtpServer2">
            <source>Second NTP server</source>
            <translation>备用 NTP 服务器</translation>
        </message>
        <message id="TimeZone">
            <source>Time zone</source>
            <translation>时区</translation>
        </message>
        <message id="Cust_timestamp">
            <source>Time stamp</source>
            <translation>时间戳</translation>
        </message>
        <message id="Cust_note">
            <source>Note</source>
            <translation>备注</translation>
        </message>
        <message id="Cust_itemCount">
            <source>Number of points</source>
            <translation>点数</translation>
        </message>
        <message id="Blackbody">
            <source>Blackbody</source>
            <translation>黑体</translation>
        </message>
        <message id="Temp">
            <source>Temp.</source>
            <translation>温度</translation>
        </message>
        <message id="FPS">
            <source>FPS</source>
            <translation>帧率</translation>
        </message>
        <message id="Shell">
            <source>Shell</source>
            <translation>壳温</translation>
        </message>
        <message id="GPI">
            <source>GPI</source>
            <translation>GPI 输入</translation>
        </message>
        <message id="Max">
            <source>Max</source>
            <translation>最高</translation>
        </message>
        <message id="Avg">
            <source>Avg</source>
            <translation>平均</translation>
        </message>
        <message id="Min">
            <source>Min</source>
            <translation>最低</translation>
        </message>
        <message id="DenoiseInfo_type">
            <source>Denoise type</source>
            <translation>降噪类型</translation>
        </message>
        <message id="DenoiseInfo_gf_radius">
            <source>Filter radius</source>
            <translation>滤波半径</translation>
        </message>
        <message id="DenoiseInfo_gf_regular">
            <source>Filter regularisation</source>
            <translation>滤波正则化</translation>
        </message>
        <message id="DestripInfo_type">
            <source>Destripe type</source>
            <translation>去条纹类型</translation>
        </message>
        <message id="DestripInfo_s0_radius">
            <source>Stage 0 radius</source>
            <translation>第 0 级半径</translation>
        </message>
        <message id="DestripInfo_s0_regular">
            <source>Stage 0 regularisation</source>
            <translation>第 0 级正则化</translation>
        </message>
        <message id="DestripInfo_s1_radius">
            <source>Stage 1 radius</source>
            <translation>第 1 级半径</translation>
        </message>
        <message id="DestripInfo_s1_regular">
            <source>Stage 1 regularisation</source>
            <translation>第 1 级正则化</translation>
        </message>
        <message id="DestripInfo_sub_y">
            <source>Row subsampling</source>
            <translation>行降采样</translation>
        </message>
        <message id="DestripInfo_sub_t">
            <source>Time subsampling</source>
            <translation>时间降采样</translation>
        </message>
        <message id="FramesSkippedAfterOpen">
            <source>Frames skipped after opening</source>
            <translation>打开后跳过帧数</translation>
        </message>
        <message id="FramesSkippedAfterClose">
            <source>Frames skipped after closing</source>
            <translation>关闭后跳过帧数</translation>
        </message>
        <message id="FramesAccumlatedWhenClosed">
            <source>Frames averaged while closed</source>
            <translation>关闭时累加帧数</translation>
        </message>
        <message id="TimeInterval">
            <source>Time interval (min)</source>
            <translation>时间间隔(分)</translation>
        </message>
        <message id="TempInterval">
            <source>Temperature interval</source>
            <translation>温度间隔</translation>
        </message>
        <message id="NSTEnable">
            <source>Shutterless correction</source>
            <translation>无挡片校正</translation>
        </message>
        <message id="AFRebound">
            <source>Autofocus rebound</source>
            <translation>自动对焦回弹</translation>
        </message>
        <message id="FPAShutter">
            <source>Detector shutter</source>
            <translation>探测器快门</translation>
        </message>
        <message id="TimeIntervalSec">
            <source>Time interval (s)</source>
            <translation>时间间隔(秒)</translation>
        </message>
        <message id="AtmFix">
            <source>Atmospheric correction</source>
            <translation>大气修正</translation>
        </message>
        <message id="Enable">
            <source>Enable</source>
            <translation>启用</translation>
        </message>
        <message id="AtmosphericTemperature">
            <source>Air temperature</source>
            <translation>大气温度</translation>
        </message>
        <message id="RelativeHumidity">
            <source>Relative humidity</source>
            <translation>相对湿度</translation>
        </message>
        <message id="Visibility">
            <source>Visibility</source>
            <translation>能见度</translation>
        </message>
        <message id="RainfallIntensity">
            <source>Rainfall intensity</source>
            <translation>降雨强度</translation>
        </message>
        <message id="SnowfallIntensity">
            <source>Snowfall intensity</source>
            <translation>降雪强度</translation>
        </message>
        <message id="TargetDistance">
            <source>Target distance</source>
            <translation>目标距离</translation>
        </message>
        <message id="GlobalFix">
            <source>Global correction</source>
            <translation>全局修正</translation>
        </message>
        <message id="GlobalEmissivity">
            <source>Emissivity</source>
            <translation>发射率</translation>
        </message>
        <message id="InfraredWindowTrans">
            <source>IR window transmittance</source>
            <translation>红外窗口透过率</translation>
        </message>
        <message id="InfraredWindowTempOffset">
            <source>IR window temp. offset</source>
            <translation>红外窗口温度偏移</translation>
        </message>
        <message id="TempOffset">
            <source>Temperature offset</source>
            <translation>温度偏移</translation>
        </message>
        <message id="CalcTrans_note">
            <source>Transmittance from two blackbody readings</source>
            <translation>由两个黑体读数计算透过率</translation>
        </message>
        <message id="Calc">
            <source>Calc.</source>
            <translation>计算</translation>
        </message>
        <message id="CalcTrans_envTemp">
            <source>Ambient temperature</source>
            <translation>环境温度</translation>
        </message>
        <message id="CalcTrans_bbTemp1">
            <source>Blackbody temp. without window</source>
            <translation>无窗口黑体温度</translation>
        </message>
        <message id="CalcTrans_bbTemp2">
            <source>Blackbody temp. through window</source>
            <translation>透过窗口黑体温度</translation>
        </message>
        <message id="CalcEmi_note">
            <source>Emissivity temperature from a known emissivity</source>
            <translation>由已知发射率换算温度</translation>
        </message>
        <message id="CalcEmi_envTemp">
            <source>Ambient temperature</source>
            <translation>环境温度</translation>
        </message>
        <message id="CalcEmi_bbTemp1">
            <source>Measured temperature</source>
            <translation>测量温度</translation>
        </message>
        <message id="CalcEmi_emi1">
            <source>Emissivity used</source>
            <translation>测量用发射率</translation>
        </message>
        <message id="CalcEmi_emi2">
            <source>Actual emissivity</source>
            <translation>实际发射率</translation>
        </message>
        <message id="ServerId">
            <source>Server ID</source>
            <translation>服务器编号</translation>
        </message>
        <message id="ServerIp">
            <source>Server IP</source>
            <translation>服务器 IP</translation>
        </message>
        <message id="ServerPort">
            <source>Server port</source>
            <translation>服务器端口</translation>
        </message>
        <message id="DevicePort">
            <source>Camera port</source>
            <translation>设备端口</translation>
        </message>
        <message id="DevicePortRtp">
            <source>Camera RTP port</source>
            <translation>设备 RTP 端口</translation>
        </message>
        <message id="StreamId">
            <source>Stream ID</source>
            <translation>码流编号</translation>
        </message>
        <message id="KeepAliveInterval">
            <source>Keep-alive interval (s)</source>
            <translation>心跳间隔(秒)</translation>
        </message>
        <message id="Input">
            <source>Input</source>
            <translation>输入</translation>
        </message>
        <message id="Output">
            <source>Output</source>
            <translation>输出</translation>
        </message>
        <message id="IRImage_PaletteType">
            <source>Palette</source>
            <translation>调色板</translation>
        </message>
        <message id="IRImage_StrechType">
            <source>Stretch</source>
            <translation>对比度拉伸</translation>
        </message>
        <message id="IRImage_Gain">
            <source>Gain</source>
            <translation>增益</translation>
        </message>
        <message id="IRImage_Temp2Gray">
            <source>Gray map</source>
            <translation>温度映射灰度</translation>
        </message>
        <message id="IRImage_DDELevel">
            <source>Detail (DDE)</source>
            <translation>细节增强</translation>
        </message>
        <message id="IRImage_Denoise">
            <source>Denoise</source>
            <translation>降噪</translation>
        </message>
        <message id="IRImage_MTEnable">
            <source>Fixed range</source>
            <translation>手动温度范围</translation>
        </message>
        <message id="IRImage_MTTemp0">
            <source>Range low</source>
            <translation>范围下限</translation>
        </message>
        <message id="IRImage_MTTemp1">
            <source>Range high</source>
            <translation>范围上限</translation>
        </message>
        <message id="IRImage_CTType">
            <source>Color band</source>
            <translation>温度着色方式</translation>
        </message>
        <message id="IRImage_CTTemp0">
            <source>Band low</source>
            <translation>着色下限</translation>
        </message>
        <message id="IRImage_CTTemp1">
            <source>Band high</source>
            <translation>着色上限</translation>
        </message>
        <message id="IRImage_CTColor0">
            <source>Band color 1</source>
            <translation>着色颜色 1</translation>
        </message>
        <message id="IRImage_CTColor1">
            <source>Band color 2</source>
            <translation>着色颜色 2</translation>
        </message>
        <message id="IRImage_SmallTarget_BG">
            <source>Background</source>
            <translation>小目标背景</translation>
        </message>
        <message id="MeaName">
            <source>Name</source>
            <translation>名称</translation>
        </message>
        <message id="MeaColor">
            <source>Color</source>
            <translation>颜色</translation>
        </message>
        <message id="TextPos">
            <source>Label position</source>
            <translation>标签位置</translation>
        </message>
        <message id="TrackHigh">
            <source>Track hottest</source>
            <translation>跟踪最高温</translation>
        </message>
        <message id="TrackLow">
            <source>Track coldest</source>
            <translation>跟踪最低温</translation>
        </message>
        <message id="FixEnable">
            <source>Own emissivity</source>
            <translation>单独发射率</translation>
        </message>
        <message id="FixEmi">
            <source>Emissivity</source>
            <translation>发射率</translation>
        </message>
        <message id="Use3x3">
            <source>Use 3x3 average</source>
            <translation>使用 3x3 平均</translation>
        </message>
        <message id="FocusMF">
            <source>Manual focus</source>
            <translation>手动对焦</translation>
        </message>
        <message id="FocusDeltaNear">
            <source>Step near</source>
            <translation>近焦步进</translation>
        </message>
        <message id="FocusDeltaFar">
            <source>Step far</source>
            <translation>远焦步进</translation>
        </message>
        <message id="FocusContiNear">
            <source>Focus near</source>
            <translation>持续近焦</translation>
        </message>
        <message id="FocusContiStop">
            <source>Stop focus</source>
            <translation>停止对焦</translation>
        </message>
        <message id="FocusContiFar">
            <source>Focus far</source>
            <translation>持续远焦</translation>
        </message>
        <message id="FocusAF">
            <source>Autofocus</source>
            <translation>自动对焦</translation>
        </message>
        <message id="FocusXF">
            <source>Focus</source>
            <translation>对焦</translation>
        </message>
        <message id="FilterIR">
            <source>IR filter</source>
            <translation>红外滤光片</translation>
        </message>
        <message id="Reset">
            <source>Reset</source>
            <translation>复位</translation>
        </message>
        <message id="PTZ">
            <source>Pan-tilt</source>
            <translation>云台</translation>
        </message>
        <message id="SetLight">
            <source>Set light</source>
            <translation>设置灯光</translation>
        </message>
        <message id="sp_usage">
            <source>Usage</source>
            <translation>用途</translation>
        </message>
        <message id="sp_portAddr">
            <source>Port address</source>
            <translation>端口地址</translation>
        </message>
        <message id="sp_baudRate">
            <source>Baud rate</source>
            <translation>波特率</translation>
        </message>
        <message id="sp_dataBits">
            <source>Data bits</source>
            <translation>数据位</translation>
        </message>
        <message id="sp_stopBits">
            <source>Stop bits</source>
            <translation>停止位</translation>
        </message>
        <message id="sp_parity">
            <source>Parity</source>
            <translation>校验</translation>
        </message>
        <message id="Temp2Energy">
            <source>Temperature ↔ energy</source>
            <translation>温度能量换算</translation>
        </message>
        <message id="IrType">
            <source>IR band</source>
            <translation>红外波段</translation>
        </message>
        <message id="Temperature">
            <source>Temperature</source>
            <translation>温度</translation>
        </message>
        <message id="Energy">
            <source>Energy</source>
            <translation>能量</translation>
        </message>
        <message id="Energy2Temp">
            <source>Energy to temperature</source>
            <translation>能量转温度</translation>
        </message>
        <message id="Gpio">
            <source>GPIO</source>
            <translation>GPIO 接口</translation>
        </message>
        <message id="Light">
            <source>Light</source>
            <translation>灯光</translation>
        </message>
        <message id="LedYellow">
            <source>Yellow LED</source>
            <translation>黄色指示灯</translation>
        </message>
        <message id="LedBlue">
            <source>Blue LED</source>
            <translation>蓝色指示灯</translation>
        </message>
        <message id="Alarm">
            <source>Alarm</source>
            <translation>报警</translation>
        </message>
        <message id="Buzz">
            <source>Buzzer</source>
            <translation>蜂鸣器</translation>
        </message>
        <message id="SetGpio">
            <source>Set GPIO</source>
            <translation>设置 GPIO</translation>
        </message>
        <message id="Shutter">
            <source>Shutter</source>
            <translation>快门</translation>
        </message>
        <message id="Open">
            <source>Open</source>
            <translation>打开</translation>
        </message>
        <message id="Close">
            <source>Close</source>
            <translation>关闭</translation>
        </message>
        <message id="Tvout">
            <source>Video output</source>
            <translation>视频输出</translation>
        </message>
        <message id="Zoom">
            <source>Zoom</source>
            <translation>缩放</translation>
        </message>
        <message id="DisplayFlags">
            <source>Display flags</source>
            <translation>显示标志</translation>
        </message>
        <message id="IRImage">
            <source>IR image</source>
            <translation>红外图像</translation>
        </message>
        <message id="IRImage_MT">
            <source>Manual range</source>
            <translation>手动范围</translation>
        </message>
        <message id="IRImage_CT">
            <source>Color band</source>
            <translation>温度着色</translation>
        </message>
        <message id="H264">
            <source>H.264</source>
            <translation>H.264 编码</translation>
        </message>
        <message id="H264_Bitrate">
            <source>Bit rate</source>
            <translation>码率</translation>
        </message>
        <message id="H264_GopSize">
            <source>GOP size</source>
            <translation>关键帧间隔</translation>
        </message>
        <message id="DeviceChart">
            <source>Trend chart</source>
            <translation>温度曲线</translation>
        </message>
        <message id="DeviceCom">
            <source>Bad-point list</source>
            <translation>坏点表</translation>
        </message>
        <message id="X">
            <source>X</source>
            <translation>X</translation>
        </message>
        <message id="Y">
            <source>Y</source>
            <translation>Y</translation>
        </message>
        <message id="DataWidth">
            <source>Width</source>
            <translation>宽度</translation>
        </message>
        <message id="DataHeight">
            <source>Height</source>
            <translation>高度</translation>
        </message>
        <message id="Add">
            <source>Add</source>
            <translation>添加</translation>
        </message>
        <message id="Delete">
            <source>Delete</source>
            <translation>删除</translation>
        </message>
        <message id="DeviceConfig">
            <source>Configure</source>
            <translation>设备配置</translation>
        </message>
        <message id="System">
            <source>System</source>
            <translation>系统</translation>
        </message>
        <message id="CameraBasicInfo">
            <source>Basic information</source>
            <translation>基本信息</translation>
        </message>
        <message id="FixInfo">
            <source>Temp. correction</source>
            <translation>测温修正</translation>
        </message>
        <message id="Network">
            <source>Network</source>
            <translation>网络</translation>
        </message>
        <message id="CameraNetworkInfo">
            <source>Network settings</source>
            <translation>网络设置</translation>
        </message>
        <message id="CameraTimeInfo">
            <source>Time settings</source>
            <translation>时间设置</translation>
        </message>
        <message id="Interface">
            <source>Interfaces</source>
            <translation>接口</translation>
        </message>
        <message id="TvoutInfo">
            <source>Video output</source>
            <translation>视频输出</translation>
        </message>
        <message id="SerialPortInfo">
            <source>Serial port</source>
            <translation>串口</translation>
        </message>
        <message id="GpioInfo">
            <source>GPIO</source>
            <translation>GPIO 设置</translation>
        </message>
        <message id="CameraOSDInfo">
            <source>On-screen display</source>
            <translation>屏幕叠加</translation>
        </message>
        <message id="Advance">
            <source>Advanced</source>
            <translation>高级</translation>
        </message>
        <message id="FFCInfo">
            <source>Shutter correction</source>
            <translation>快门校正</translation>
        </message>
        <message id="DestripInfo">
            <source>Destriping</source>
            <translation>去条纹</translation>
        </message>
        <message id="DenoiseInfo">
            <source>Denoising</source>
            <translation>降噪</translation>
        </message>
        <message id="Plugin">
            <source>Plug-ins</source>
            <translation>插件</translation>
        </message>
        <message id="CameraPluginInfo">
            <source>Protocols</source>
            <translation>协议服务</translation>
        </message>
        <message id="GB28181Info">
            <source>GB28181</source>
            <translation>GB28181 设置</translation>
        </message>
        <message id="Test">
            <source>Test</source>
            <translation>测试</translation>
        </message>
        <message id="TestInfo">
            <source>Test outputs</source>
            <translation>测试输出</translation>
        </message>
        <message id="Apply">
            <source>Apply</source>
            <translation>应用</translation>
        </message>
        <message id="ApplyAndClose">
            <source>Apply and close</source>
            <translation>应用并关闭</translation>
        </message>
        <message id="DeviceCust">
            <source>Correction</source>
            <translation>自定义校正</translation>
        </message>
        <message id="Cust_config1">
            <source>Correction table 1</source>
            <translation>校正表 1</translation>
        </message>
        <message id="Cust_config2">
            <source>Correction table 2</source>
            <translation>校正表 2</translation>
        </message>
        <message id="Switch">
            <source>Switch</source>
            <translation>切换</translation>
        </message>
        <message id="FixDist_distCount">
            <source>Number of distances</source>
            <translation>距离数</translation>
        </message>
        <message id="FixDist_bbCount">
            <source>Number of blackbodies</source>
            <translation>黑体数</translation>
        </message>
        <message id="FixDist_dist0">
            <source>Distance 1</source>
            <translation>距离 1</translation>
        </message>
        <message id="FixDist_dist1">
            <source>Distance 2</source>
            <translation>距离 2</translation>
        </message>
        <message id="FixDist_dist2">
            <source>Distance 3</source>
            <translation>距离 3</translation>
        </message>
        <message id="FixDist_dist3">
            <source>Distance 4</source>
            <translation>距离 4</translation>
        </message>
        <message id="FixDist_dist4">
            <source>Distance 5</source>
            <translation>距离 5</translation>
        </message>
        <message id="VolOffset">
            <source>Voltage offset</source>
            <translation>电压偏移</translation>
        </message>
        <message id="WeiJu_len1_env_count">
            <source>Ambient count</source>
            <translation>镜头 1 环境点数</translation>
        </message>
        <message id="WeiJu_cali_mode">
            <source>Calib. mode</source>
            <translation>标定模式</translation>
        </message>
        <message id="WeiJu_len1_shell0">
            <source>Shell temp. 1</source>
            <translation>镜头 1 壳温 1</translation>
        </message>
        <message id="WeiJu_len1_shell1">
            <source>Shell temp. 2</source>
            <translation>镜头 1 壳温 2</translation>
        </message>
        <message id="WeiJu_len1_shell2">
            <source>Shell temp. 3</source>
            <translation>镜头 1 壳温 3</translation>
        </message>
        <message id="WeiJu_len1_shell3">
            <source>Shell temp. 4</source>
            <translation>镜头 1 壳温 4</translation>
        </message>
        <message id="WeiJu_len1_bb_count">
            <source>Lens 1 BBs</source>
            <translation>镜头 1 黑体数</translation>
        </message>
        <message id="WeiJu_len2_bb_count">
            <source>Lens 2 BBs</source>
            <translation>镜头 2 黑体数</translation>
        </message>
        <message id="XCali">
            <source>XCali calibration</source>
            <translation>XCali 标定</translation>
        </message>
        <message id="XCaliHeadState">
            <source>Head and state</source>
            <translation>表头与状态</translation>
        </message>
        <message id="XCali1">
            <source>Stage 1</source>
            <translation>一级标定</translation>
        </message>
        <message id="XCali2">
            <source>Stage 2</source>
            <translation>二级标定</translation>
        </message>
        <message id="XCaliCust">
            <source>Custom points</source>
            <translation>自定义点</translation>
        </message>
        <message id="XCaliState_info">
            <source>State</source>
            <translation>状态</translation>
        </message>
        <message id="XCali_caliCount">
            <source>Calibration entries</source>
            <translation>标定条目数</translation>
        </message>
        <message id="XCali_gearLevel">
            <source>Gear</source>
            <translation>档位</translation>
        </message>
        <message id="Refresh">
            <source>Refresh</source>
            <translation>刷新</translation>
        </message>
        <message id="Reboot">
            <source>Restart</source>
            <translation>重启</translation>
        </message>
        <message id="ResConfig">
            <source>Resolutions</source>
            <translation>分辨率</translation>
        </message>
        <message id="Width">
            <source>Width</source>
            <translation>宽度</translation>
        </message>
        <message id="Height">
            <source>Height</source>
            <translation>高度</translation>
        </message>
        <message id="Fps">
            <source>FPS</source>
            <translation>帧率</translation>
        </message>
        <message id="ApplyResIndex">
            <source>Use resolution</source>
            <translation>应用分辨率</translation>
        </message>
        <message id="ExtBbConfig">
            <source>External blackbody</source>
            <translation>外部黑体</translation>
        </message>
        <message id="ExtBbConfig_enable">
            <source>Use external blackbody</source>
            <translation>启用外部黑体</translation>
        </message>
        <message id="ExtBbConfig_temp">
            <source>Blackbody temperature</source>
            <translation>黑体温度</translation>
        </message>
        <message id="ExtBbConfig_x">
            <source>Blackbody X</source>
            <translation>黑体 X</translation>
        </message>
        <message id="ExtBbConfig_y">
            <source>Blackbody Y</source>
            <translation>黑体 Y</translation>
        </message>
        <message id="ExtBbConfig_radius">
            <source>Blackbody radius</source>
            <translation>黑体半径</translation>
        </message>
        <message id="ApplyExtBbConfig">
            <source>Apply blackbody</source>
            <translation>应用黑体设置</translation>
        </message>
        <message id="XCali1_filter">
            <source>Filter</source>
            <translation>滤光片</translation>
        </message>
        <message id="XCali1_name">
            <source>Name</source>
            <translation>名称</translation>
        </message>
        <message id="XCali1_shutterMode">
            <source>Shutter mode</source>
            <translation>快门模式</translation>
        </message>
        <message id="XCali1_envTempMin">
            <source>Ambient min.</source>
            <translation>环境温度下限</translation>
        </message>
        <message id="XCali1_envTempMax">
            <source>Ambient max.</source>
            <translation>环境温度上限</translation>
        </message>
        <message id="XCali1_bbTempMin">
            <source>Blackbody min.</source>
            <translation>黑体温度下限</translation>
        </message>
        <message id="XCali1_bbTempMax">
            <source>Blackbody max.</source>
            <translation>黑体温度上限</translation>
        </message>
        <message id="FPA">
            <source>Detector</source>
            <translation>探测器</translation>
        </message>
        <message id="Cali1File">
            <source>Calibration file</source>
            <translation>标定文件</translation>
        </message>
        <message id="Select">
            <source>Select</source>
            <translation>选择</translation>
        </message>
        <message id="Upload">
            <source>Upload</source>
            <translation>上传</translation>
        </message>
        <message id="XCali2_enable">
            <source>Use stage 2</source>
            <translation>启用二级标定</translation>
        </message>
        <message id="LeaveImport">
            <source>Leave import</source>
            <translation>退出导入</translation>
        </message>
        <message id="EnterImport">
            <source>Import mode</source>
            <translation>导入模式</translation>
        </message>
        <message id="XCali2_envCount">
            <source>Ambient points</source>
            <translation>环境点数</translation>
        </message>
        <message id="XCali2_bbCount">
            <source>Blackbodies</source>
            <translation>黑体数</translation>
        </message>
        <message id="XCali2_shell0">
            <source>Shell temp. 1</source>
            <translation>壳温 1</translation>
        </message>
        <message id="XCali2_shell1">
            <source>Shell temp. 2</source>
            <translation>壳温 2</translation>
        </message>
        <message id="XCali2_shell2">
            <source>Shell temp. 3</source>
            <translation>壳温 3</translation>
        </message>
        <message id="XCali2_shell3">
            <source>Shell temp. 4</source>
            <translation>壳温 4</translation>
        </message>
        <message id="Import">
            <source>Import</source>
            <translation>导入</translation>
        </message>
        <message id="XCaliCust_enable">
            <source>Use custom points</source>
            <translation>启用自定义点</translation>
        </message>
        <message id="XCaliCust_bbCount">
            <source>Blackbodies</source>
            <translation>黑体数</translation>
        </message>
        <message id="SetHead">
            <source>Write head</source>
            <translation>写入表头</translation>
        </message>
        <message id="SetCali1">
            <source>Write stage 1</source>
            <translation>写入一级标定</translation>
        </message>
        <message id="SetCali2">
            <source>Write stage 2</source>
            <translation>写入二级标定</translation>
        </message>
        <message id="SetCust">
            <source>Write custom points</source>
            <translation>写入自定义点</translation>
        </message>
        <message id="Preview">
            <source>Preview</source>
            <translation>预览</translation>
        </message>
        <message id="Config">
            <source>Configuration</source>
            <translation>配置</translation>
        </message>
        <message id="DeviceCali">
            <source>Calibration</source>
            <translation>标定</translation>
        </message>
        <message id="LeaveFullscreen">
            <source>Leave full screen</source>
            <translation>退出全屏</translation>
        </message>
        <message id="EnterFullscreen">
            <source>Full screen</source>
            <translation>全屏</translation>
        </message>
        <message id="OK">
            <source>OK</source>
            <translation>确定</translation>
        </message>
        <message id="NoDevice">
            <source>No camera chosen</source>
            <translation>未选择设备</translation>
        </message>
        <message id="NoFile">
            <source>No file chosen</source>
            <translation>未选择文件</translation>
        </message>
        <message id="InvalidFile">
            <source>Wrong file type</source>
            <translation>文件类型不符</translation>
        </message>
        <message id="DeviceIp">
            <source>Camera IP</source>
            <translation>设备 IP</translation>
        </message>
        <message id="Message">
            <source>Result</source>
            <translation>结果</translation>
        </message>
        <message id="Firmware">
            <source>Firmware</source>
            <translation>固件</translation>
        </message>
        <message id="UploadMulti">
            <source>Upload to ticked</source>
            <translation>批量上传</translation>
        </message>
        <message id="Download">
            <source>Download</source>
            <translation>下载</translation>
        </message>
        <message id="RestoreFactory">
            <source>Restore factory settings</source>
            <translation>恢复出厂设置</translation>
        </message>
        <message id="RestartDevice">
            <source>Restart camera</source>
            <translation>重启设备</translation>
        </message>
        <message id="GetTime">
            <source>Read clock</source>
            <translation>读取时间</translation>
        </message>
        <message id="SetTime">
            <source>Set clock</source>
            <translation>校时</translation>
        </message>
        <message id="SetTimeMulti">
            <source>Set clock on ticked</source>
            <translation>批量校时</translation>
        </message>
        <message id="DeviceList">
            <source>Cameras</source>
            <translation>设备列表</translation>
        </message>
        <message id="Search">
            <source>Search</source>
            <translation>搜索</translation>
        </message>
        <message id="InvalidIp">
            <source>Not a valid IP address</source>
            <translation>IP 地址无效</translation>
        </message>
        <message id="Play">
            <source>Play</source>
            <translation>播放</translation>
        </message>
        <message id="Stop">
            <source>Stop</source>
            <translation>停止</translation>
        </message>
        <message id="Snap">
            <source>Snapshot</source>
            <translation>抓图</translation>
        </message>
        <message id="RecordEnd">
            <source>Stop recording</source>
            <translation>停止录像</translation>
        </message>
        <message id="RecordBegin">
            <source>Record</source>
            <translation>录像</translation>
        </message>
        <message id="Chart">
            <source>Chart</source>
            <translation>曲线</translation>
        </message>
        <message id="Image">
            <source>Image</source>
            <translation>图像</translation>
        </message>
        <message id="Control">
            <source>Control</source>
            <translation>控制</translation>
        </message>
        <message id="ImageConfig">
            <source>Image settings</source>
            <translation>图像设置</translation>
        </message>
        <message id="MeaConfig">
            <source>Measurement settings</source>
            <translation>测温设置</translation>
        </message>
        <message id="More">
            <source>More</source>
            <translation>更多</translation>
        </message>
        <message id="MoreColors">
            <source>More colors</source>
            <translation>更多颜色</translation>
        </message>
        <message id="ValueRange">
            <source>Range</source>
            <translation>范围</translation>
        </message>
        <message id="ValueNotNull">
            <source>Must not be empty</source>
            <translation>不能为空</translation>
        </message>
        <message id="SelectColor">
            <source>Select color</source>
            <translation>选择颜色</translation>
        </message>
        <message id="zh_CN">
            <source>Chinese</source>
            <translation>中文</translation>
        </message>
        <message id="en_US">
            <source>English</source>
            <translation>英文</translation>
        </message>
        <message id="TCP">
            <source>TCP</source>
            <translation>TCP</translation>
        </message>
        <message id="UDP">
            <source>UDP</source>
            <translation>UDP</translation>
        </message>
        <message id="StrechType_PHE">
            <source>Histogram (PHE)</source>
            <translation>直方图(PHE)</translation>
        </message>
        <message id="StrechType_LINEAR">
            <source>Linear</source>
            <translation>线性</translation>
        </message>
        <message id="StrechType_PHE2023">
            <source>Histogram (PHE 2023)</source>
            <translation>直方图(PHE 2023)</translation>
        </message>
        <message id="StrechType_SmallTarget">
            <source>Small target</source>
            <translation>小目标</translation>
        </message>
        <message id="ColorTempType_None">
            <source>None</source>
            <translation>无</translation>
        </message>
        <message id="ColorTempType_High">
            <source>Above</source>
            <translation>高于</translation>
        </message>
        <message id="ColorTempType_Low">
            <source>Below</source>
            <translation>低于</translation>
        </message>
        <message id="ColorTempType_Mid">
            <source>Between</source>
            <translation>区间内</translation>
        </message>
        <message id="ColorTempType_ExMid">
            <source>Outside</source>
            <translation>区间外</translation>
        </message>
        <message id="TextPos_None">
            <source>None</source>
            <translation>无</translation>
        </message>
        <message id="TextPos_TopLeft">
            <source>Top left</source>
            <translation>左上</translation>
        </message>
        <message id="TextPos_TopRight">
            <source>Top right</source>
            <translation>右上</translation>
        </message>
        <message id="TextPos_BottomLeft">
            <source>Bottom left</source>
            <translation>左下</translation>
        </message>
        <message id="TextPos_BottomRight">
            <source>Bottom right</source>
            <translation>右下</translation>
        </message>
        <message id="IRDestripType_None">
            <source>None</source>
            <translation>无</translation>
        </message>
        <message id="IRDestripType_ColV1">
            <source>Columns</source>
            <translation>列去条纹</translation>
        </message>
        <message id="IRDestripType_ColV1opt">
            <source>Columns, optimised</source>
            <translation>列去条纹(优化)</translation>
        </message>
        <message id="IRDenoiseType_None">
            <source>None</source>
            <translation>无</translation>
        </message>
        <message id="IRDenoiseType_GF">
            <source>Guided filter</source>
            <translation>导向滤波</translation>
        </message>
        <message id="IRDenoiseType_GFSub2">
            <source>Guided filter, 1/2</source>
            <translation>导向滤波 1/2</translation>
        </message>
        <message id="IRDenoiseType_GFSub4">
            <source>Guided filter, 1/4</source>
            <translation>导向滤波 1/4</translation>
        </message>
        <message id="MeaTool_Select">
            <source>Select</source>
            <translation>选择</translation>
        </message>
        <message id="MeaTool_Point1x1">
            <source>Point</source>
            <translation>点</translation>
        </message>
        <message id="MeaTool_Point1x1Desc">
            <source>Point: the temperature of one pixel</source>
            <translation>点:单个像素的温度</translation>
        </message>
        <message id="MeaTool_Point3x3">
            <source>3x3 point</source>
            <translation>3x3 点</translation>
        </message>
        <message id="MeaTool_Point3x3Desc">
            <source>3x3 point: the mean of 3 x 3 pixels</source>
            <translation>3x3 点:3 x 3 像素的平均温度</translation>
        </message>
        <message id="MeaTool_PointCross">
            <source>Cross</source>
            <translation>十字点</translation>
        </message>
        <message id="MeaTool_PointCrossDesc">
            <source>Cross: a point with a cross marker</source>
            <translation>十字点:带十字标记的点</translation>
        </message>
        <message id="MeaTool_Line">
            <source>Line</source>
            <translation>线</translation>
        </message>
        <message id="MeaTool_LineDesc">
            <source>Line: maximum, minimum and mean along a line</source>
            <translation>线:沿直线的最高、最低和平均温度</translation>
        </message>
        <message id="MeaTool_Polyline">
            <source>Polyline</source>
            <translation>折线</translation>
        </message>
        <message id="MeaTool_PolylineDesc">
            <source>Polyline: click the points, double-click to finish</source>
            <translation>折线:单击各点,双击结束</translation>
        </message>
        <message id="MeaTool_Ellipse">
            <source>Ellipse</source>
            <translation>椭圆</translation>
        </message>
        <message id="MeaTool_EllipseDesc">
            <source>Ellipse: drag to draw an ellipse</source>
            <translation>椭圆:拖动绘制椭圆</translation>
        </message>
        <message id="MeaTool_Circle">
            <source>Circle</source>
            <translation>圆</translation>
        </message>
        <message id="MeaTool_CircleDesc">
            <source>Circle: drag to draw a circle</source>
            <translation>圆:拖动绘制圆</translation>
        </message>
        <message id="MeaTool_Custom">
            <source>Free shape</source>
            <translation>自由区域</translation>
        </message>
        <message id="MeaTool_CustomDesc">
            <source>Free shape: draw the outline by hand</source>
            <translation>自由区域:手绘轮廓</translation>
        </message>
        <message id="MeaTool_Rectangle">
            <source>Rectangle</source>
            <translation>矩形</translation>
        </message>
        <message id="MeaTool_RectangleDesc">
            <source>Rectangle: drag to draw a rectangle</source>
            <translation>矩形:拖动绘制矩形</translation>
        </message>
        <message id="MeaTool_Square">
            <source>Square</source>
            <translation>正方形</translation>
        </message>
        <message id="MeaTool_SquareDesc">
            <source>Square: drag to draw a square</source>
            <translation>正方形:拖动绘制正方形</translation>
        </message>
        <message id="MeaTool_Polygon">
            <source>Polygon</source>
            <translation>多边形</translation>
        </message>
        <message id="MeaTool_PolygonDesc">
            <source>Polygon: click the corners, double-click to close</source>
            <translation>多边形:单击各顶点,双击闭合</translation>
        </message>
        <message id="MeaTool_EditPoint">
            <source>Edit points</source>
            <translation>编辑顶点</translation>
        </message>
        <message id="MeaTool_EditPointDesc">
            <source>Edit points: click an edge to add a point, a point to remove it</source>
            <translation>编辑顶点:单击边添加顶点,单击顶点删除</translation>
        </message>
        <message id="MeaTool_Hide">
            <source>Hide tools</source>
            <translation>隐藏工具</translation>
        </message>
        <message id="MeaTool_HideDesc">
            <source>Hide or show the measurement marks</source>
            <translation>隐藏或显示测温标记</translation>
        </message>
        <message id="Cali1">
            <source>Stage 1</source>
            <translation>一级标定</translation>
        </message>
        <message id="Len1_Cali2">
            <source>Lens 1, stage 2</source>
            <translation>镜头 1 二级标定</translation>
        </message>
        <message id="Len2_Cali2">
            <source>Lens 2, stage 2</source>
            <translation>镜头 2 二级标定</translation>
        </message>
        <message id="Preset">
            <source>Preset </source>
            <translation>预置位 </translation>
        </message>
        <message id="FirmwareNameRule">
            <source>Firmware names begin with "%1" or "%2"</source>
            <translation>固件文件名须以"%1"或"%2"开头</translation>
        </message>
        <message id="FirmwareNameRuleMaker">
            <source>Firmware names begin with "%1"</source>
            <translation>固件文件名须以"%1"开头</translation>
        </message>
        <message id="Status_Failed">
            <source></source>
            <translation>操作失败</translation>
        </message>
        <message id="Status_Unsupported">
            <source></source>
            <translation>不支持</translation>
        </message>
        <message id="Status_NotInitialised">
            <source></source>
            <translation>未初始化</translation>
        </message>
        <message id="Status_OutOfMemory">
            <source></source>
            <translation>内存不足</translation>
        </message>
        <message id="Status_NoSlot">
            <source></source>
            <translation>无空闲位置</translation>
        </message>
        <message id="Status_WrongState">
            <source></source>
            <translation>当前状态不允许</translation>
        </message>
        <message id="InvalidInput">
            <source></source>
            <translation>输入无效：请更正标红的字段</translation>
        </message>
        <message id="Status_BadArgument">
            <source></source>
            <translation>参数无效</translation>
        </message>
        <message id="Status_BadHandle">
            <source></source>
            <translation>句柄无效</translation>
        </message>
        <message id="Status_Mismatch">
            <source></source>
            <translation>不匹配</translation>
        </message>
        <message id="Status_Lost">
            <source></source>
            <translation>连接已断开</translation>
        </message>
        <message id="Status_Restored">
            <source></source>
            <translation>连接已恢复</translation>
        </message>
        <message id="Status_NoReply">
            <source></source>
            <translation>无应答</translation>
        </message>
        <message id="Status_SendFailed">
            <source></source>
            <translation>发送失败</translation>
        </message>
        <message id="Status_ConnectFailed">
            <source></source>
            <translation>无法连接</translation>
        </message>
        <message id="Status_NoSocket">
            <source></source>
            <translation>网络不可用</translation>
        </message>
        <message id="Status_SeekFailed">
            <source></source>
            <translation>文件定位失败</translation>
        </message>
        <message id="Status_BadFrameHeader">
            <source></source>
            <translation>帧头损坏</translation>
        </message>
        <message id="Status_ShortWrite">
            <source></source>
            <translation>写入不完整</translation>
        </message>
        <message id="Status_ShortRead">
            <source></source>
            <translation>读取不完整</translation>
        </message>
        <message id="Status_CannotOpen">
            <source></source>
            <translation>无法打开文件</translation>
        </message>
    </context>
</TS>
