<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
    <context>
        <name />
        <message id="SaveFile">
            <source>Save file</source>
            <translation>Save file</translation>
        </message>
        <message id="OpenFile">
            <source>Open file</source>
            <translation>Open file</translation>
        </message>
        <message id="SelectFolder">
            <source>Select folder</source>
            <translation>Select folder</translation>
        </message>
        <message id="Success">
            <source>Success</source>
            <translation>Success</translation>
        </message>
        <message id="Fail">
            <source>Fail</source>
            <translation>Fail</translation>
        </message>
        <message id="Settings">
            <source>Settings</source>
            <translation>Settings</translation>
        </message>
        <message id="Language">
            <source>Language</source>
            <translation>Language</translation>
        </message>
        <message id="SaveDir">
            <source>Save folder</source>
            <translation>Save folder</translation>
        </message>
        <message id="ChartUpdateInterval">
            <source>Chart interval (s)</source>
            <translation>Chart interval (s)</translation>
        </message>
        <message id="ChartFifoSize">
            <source>Chart samples</source>
            <translation>Chart samples</translation>
        </message>
        <message id="DisplayFpsMax">
            <source>Max display FPS</source>
            <translation>Max display FPS</translation>
        </message>
        <message id="Save">
            <source>Save</source>
            <translation>Save</translation>
        </message>
        <message id="Cancel">
            <source>Cancel</source>
            <translation>Cancel</translation>
        </message>
        <message id="Get">
            <source>Get</source>
            <translation>Get</translation>
        </message>
        <message id="Set">
            <source>Set</source>
            <translation>Set</translation>
        </message>
        <message id="Load">
            <source>Load</source>
            <translation>Load</translation>
        </message>
        <message id="DeviceWeiJu">
            <source>Lens table</source>
            <translation>Lens table</translation>
        </message>
        <message id="DeviceFixDist">
            <source>Distance</source>
            <translation>Distance</translation>
        </message>
        <message id="DeviceXCali">
            <source>XCali</source>
            <translation>XCali</translation>
        </message>
        <message id="ReadWrite">
            <source>Read/write</source>
            <translation>Read/write</translation>
        </message>
        <message id="DeviceName">
            <source>Camera name</source>
            <translation>Camera name</translation>
        </message>
        <message id="DataRatio">
            <source>Data rate divider</source>
            <translation>Data rate divider</translation>
        </message>
        <message id="SendRatio">
            <source>Send rate divider</source>
            <translation>Send rate divider</translation>
        </message>
        <message id="DataTransform">
            <source>Image transform</source>
            <translation>Image transform</translation>
        </message>
        <message id="DesmearLevel">
            <source>Desmear level</source>
            <translation>Desmear level</translation>
        </message>
        <message id="FilterMedian">
            <source>Median filter</source>
            <translation>Median filter</translation>
        </message>
        <message id="ReadOnly">
            <source>Read-only</source>
            <translation>Read-only</translation>
        </message>
        <message id="DeviceId">
            <source>Camera ID</source>
            <translation>Camera ID</translation>
        </message>
        <message id="DeviceType">
            <source>Camera type</source>
            <translation>Camera type</translation>
        </message>
        <message id="FPAId">
            <source>Detector ID</source>
            <translation>Detector ID</translation>
        </message>
        <message id="HardwareId">
            <source>Hardware version</source>
            <translation>Hardware version</translation>
        </message>
        <message id="SoftwareId">
            <source>Software version</source>
            <translation>Software version</translation>
        </message>
        <message id="DataWHF">
            <source>Width x height @ FPS</source>
            <translation>Width x height @ FPS</translation>
        </message>
        <message id="UseStaticIp">
            <source>Use static IP</source>
            <translation>Use static IP</translation>
        </message>
        <message id="StaticIp">
            <source>IP address</source>
            <translation>IP address</translation>
        </message>
        <message id="SubnetMask">
            <source>Subnet mask</source>
            <translation>Subnet mask</translation>
        </message>
        <message id="Gateway">
            <source>Gateway</source>
            <translation>Gateway</translation>
        </message>
        <message id="MacAddr">
            <source>MAC address</source>
            <translation>MAC address</translation>
        </message>
        <message id="Dns">
            <source>DNS server</source>
            <translation>DNS server</translation>
        </message>
        <message id="Dns2">
            <source>Second DNS server</source>
            <translation>Second DNS server</translation>
        </message>
        <message id="Mtu">
            <source>MTU</source>
            <translation>MTU</translation>
        </message>
        <message id="LocationEnable">
            <source>Show location</source>
            <translation>Show location</translation>
        </message>
        <message id="LocationX">
            <source>Location X</source>
            <translation>Location X</translation>
        </message>
        <message id="LocationY">
            <source>Location Y</source>
            <translation>Location Y</translation>
        </message>
        <message id="LocationName">
            <source>Location name</source>
            <translation>Location name</translation>
        </message>
        <message id="TimeEnable">
            <source>Show time</source>
            <translation>Show time</translation>
        </message>
        <message id="TimeX">
            <source>Time X</source>
            <translation>Time X</translation>
        </message>
        <message id="TimeY">
            <source>Time Y</source>
            <translation>Time Y</translation>
        </message>
        <message id="Color">
            <source>Color</source>
            <translation>Color</translation>
        </message>
        <message id="onvif_version">
            <source>ONVIF version</source>
            <translation>ONVIF version</translation>
        </message>
        <message id="gb28181_version">
            <source>GB28181 version</source>
            <translation>GB28181 version</translation>
        </message>
        <message id="modbus_version">
            <source>Modbus mode</source>
            <translation>Modbus mode</translation>
        </message>
        <message id="onvif_enable">
            <source>ONVIF</source>
            <translation>ONVIF</translation>
        </message>
        <message id="gb28181_enable">
            <source>GB28181</source>
            <translation>GB28181</translation>
        </message>
        <message id="modbus_enable">
            <source>Modbus</source>
            <translation>Modbus</translation>
        </message>
        <message id="kqdatavm_enable">
            <source>KQ data VM</source>
            <translation>KQ data VM</translation>
        </message>
        <message id="h5_enable">
            <source>Web (H5) viewer</source>
            <translation>Web (H5) viewer</translation>
        </message>
        <message id="Username">
            <source>User name</source>
            <translation>User name</translation>
        </message>
        <message id="Password">
            <source>Password</source>
            <translation>Password</translation>
        </message>
        <message id="NtpServer">
            <source>NTP server</source>
            <translation>NTP server</translation>
        </message>
        <message id="NtpServer2">
            <source>Second NTP server</source>
            <translation>Second NTP server</translation>
        </message>
        <message id="TimeZone">
            <source>Time zone</source>
            <translation>Time zone</translation>
        </message>
        <message id="Cust_timestamp">
            <source>Time stamp</source>
            <translation>Time stamp</translation>
        </message>
        <message id="Cust_note">
            <source>Note</source>
            <translation>Note</translation>
        </message>
        <message id="Cust_itemCount">
            <source>Number of points</source>
            <translation>Number of points</translation>
        </message>
        <message id="Blackbody">
            <source>Blackbody</source>
            <translation>Blackbody</translation>
        </message>
        <message id="Temp">
            <source>Temp.</source>
            <translation>Temp.</translation>
        </message>
        <message id="FPS">
            <source>FPS</source>
            <translation>FPS</translation>
        </message>
        <message id="Shell">
            <source>Shell</source>
            <translation>Shell</translation>
        </message>
        <message id="GPI">
            <source>GPI</source>
            <translation>GPI</translation>
        </message>
        <message id="Max">
            <source>Max</source>
            <translation>Max</translation>
        </message>
        <message id="Avg">
            <source>Avg</source>
            <translation>Avg</translation>
        </message>
        <message id="Min">
            <source>Min</source>
            <translation>Min</translation>
        </message>
        <message id="DenoiseInfo_type">
            <source>Denoise type</source>
            <translation>Denoise type</translation>
        </message>
        <message id="DenoiseInfo_gf_radius">
            <source>Filter radius</source>
            <translation>Filter radius</translation>
        </message>
        <message id="DenoiseInfo_gf_regular">
            <source>Filter regularisation</source>
            <translation>Filter regularisation</translation>
        </message>
        <message id="DestripInfo_type">
            <source>Destripe type</source>
            <translation>Destripe type</translation>
        </message>
        <message id="DestripInfo_s0_radius">
            <source>Stage 0 radius</source>
            <translation>Stage 0 radius</translation>
        </message>
        <message id="DestripInfo_s0_regular">
            <source>Stage 0 regularisation</source>
            <translation>Stage 0 regularisation</translation>
        </message>
        <message id="DestripInfo_s1_radius">
            <source>Stage 1 radius</source>
            <translation>Stage 1 radius</translation>
        </message>
        <message id="DestripInfo_s1_regular">
            <source>Stage 1 regularisation</source>
            <translation>Stage 1 regularisation</translation>
        </message>
        <message id="DestripInfo_sub_y">
            <source>Row subsampling</source>
            <translation>Row subsampling</translation>
        </message>
        <message id="DestripInfo_sub_t">
            <source>Time subsampling</source>
            <translation>Time subsampling</translation>
        </message>
        <message id="FramesSkippedAfterOpen">
            <source>Frames skipped after opening</source>
            <translation>Frames skipped after opening</translation>
        </message>
        <message id="FramesSkippedAfterClose">
            <source>Frames skipped after closing</source>
            <translation>Frames skipped after closing</translation>
        </message>
        <message id="FramesAccumlatedWhenClosed">
            <source>Frames averaged while closed</source>
            <translation>Frames averaged while closed</translation>
        </message>
        <message id="TimeInterval">
            <source>Time interval (min)</source>
            <translation>Time interval (min)</translation>
        </message>
        <message id="TempInterval">
            <source>Temperature interval</source>
            <translation>Temperature interval</translation>
        </message>
        <message id="NSTEnable">
            <source>Shutterless correction</source>
            <translation>Shutterless correction</translation>
        </message>
        <message id="AFRebound">
            <source>Autofocus rebound</source>
            <translation>Autofocus rebound</translation>
        </message>
        <message id="FPAShutter">
            <source>Detector shutter</source>
            <translation>Detector shutter</translation>
        </message>
        <message id="TimeIntervalSec">
            <source>Time interval (s)</source>
            <translation>Time interval (s)</translation>
        </message>
        <message id="AtmFix">
            <source>Atmospheric correction</source>
            <translation>Atmospheric correction</translation>
        </message>
        <message id="Enable">
            <source>Enable</source>
            <translation>Enable</translation>
        </message>
        <message id="AtmosphericTemperature">
            <source>Air temperature</source>
            <translation>Air temperature</translation>
        </message>
        <message id="RelativeHumidity">
            <source>Relative humidity</source>
            <translation>Relative humidity</translation>
        </message>
        <message id="Visibility">
            <source>Visibility</source>
            <translation>Visibility</translation>
        </message>
        <message id="RainfallIntensity">
            <source>Rainfall intensity</source>
            <translation>Rainfall intensity</translation>
        </message>
        <message id="SnowfallIntensity">
            <source>Snowfall intensity</source>
            <translation>Snowfall intensity</translation>
        </message>
        <message id="TargetDistance">
            <source>Target distance</source>
            <translation>Target distance</translation>
        </message>
        <message id="GlobalFix">
            <source>Global correction</source>
            <translation>Global correction</translation>
        </message>
        <message id="GlobalEmissivity">
            <source>Emissivity</source>
            <translation>Emissivity</translation>
        </message>
        <message id="InfraredWindowTrans">
            <source>IR window transmittance</source>
            <translation>IR window transmittance</translation>
        </message>
        <message id="InfraredWindowTempOffset">
            <source>IR window temp. offset</source>
            <translation>IR window temp. offset</translation>
        </message>
        <message id="TempOffset">
            <source>Temperature offset</source>
            <translation>Temperature offset</translation>
        </message>
        <message id="CalcTrans_note">
            <source>Transmittance from two blackbody readings</source>
            <translation>Transmittance from two blackbody readings</translation>
        </message>
        <message id="Calc">
            <source>Calc.</source>
            <translation>Calc.</translation>
        </message>
        <message id="CalcTrans_envTemp">
            <source>Ambient temperature</source>
            <translation>Ambient temperature</translation>
        </message>
        <message id="CalcTrans_bbTemp1">
            <source>Blackbody temp. without window</source>
            <translation>Blackbody temp. without window</translation>
        </message>
        <message id="CalcTrans_bbTemp2">
            <source>Blackbody temp. through window</source>
            <translation>Blackbody temp. through window</translation>
        </message>
        <message id="CalcEmi_note">
            <source>Emissivity temperature from a known emissivity</source>
            <translation>Emissivity temperature from a known emissivity</translation>
        </message>
        <message id="CalcEmi_envTemp">
            <source>Ambient temperature</source>
            <translation>Ambient temperature</translation>
        </message>
        <message id="CalcEmi_bbTemp1">
            <source>Measured temperature</source>
            <translation>Measured temperature</translation>
        </message>
        <message id="CalcEmi_emi1">
            <source>Emissivity used</source>
            <translation>Emissivity used</translation>
        </message>
        <message id="CalcEmi_emi2">
            <source>Actual emissivity</source>
            <translation>Actual emissivity</translation>
        </message>
        <message id="ServerId">
            <source>Server ID</source>
            <translation>Server ID</translation>
        </message>
        <message id="ServerIp">
            <source>Server IP</source>
            <translation>Server IP</translation>
        </message>
        <message id="ServerPort">
            <source>Server port</source>
            <translation>Server port</translation>
        </message>
        <message id="DevicePort">
            <source>Camera port</source>
            <translation>Camera port</translation>
        </message>
        <message id="DevicePortRtp">
            <source>Camera RTP port</source>
            <translation>Camera RTP port</translation>
        </message>
        <message id="StreamId">
            <source>Stream ID</source>
            <translation>Stream ID</translation>
        </message>
        <message id="KeepAliveInterval">
            <source>Keep-alive interval (s)</source>
            <translation>Keep-alive interval (s)</translation>
        </message>
        <message id="Input">
            <source>Input</source>
            <translation>Input</translation>
        </message>
        <message id="Output">
            <source>Output</source>
            <translation>Output</translation>
        </message>
        <message id="IRImage_PaletteType">
            <source>Palette</source>
            <translation>Palette</translation>
        </message>
        <message id="IRImage_StrechType">
            <source>Stretch</source>
            <translation>Stretch</translation>
        </message>
        <message id="IRImage_Gain">
            <source>Gain</source>
            <translation>Gain</translation>
        </message>
        <message id="IRImage_Temp2Gray">
            <source>Gray map</source>
            <translation>Gray map</translation>
        </message>
        <message id="IRImage_DDELevel">
            <source>Detail (DDE)</source>
            <translation>Detail (DDE)</translation>
        </message>
        <message id="IRImage_Denoise">
            <source>Denoise</source>
            <translation>Denoise</translation>
        </message>
        <message id="IRImage_MTEnable">
            <source>Fixed range</source>
            <translation>Fixed range</translation>
        </message>
        <message id="IRImage_MTTemp0">
            <source>Range low</source>
            <translation>Range low</translation>
        </message>
        <message id="IRImage_MTTemp1">
            <source>Range high</source>
            <translation>Range high</translation>
        </message>
        <message id="IRImage_CTType">
            <source>Color band</source>
            <translation>Color band</translation>
        </message>
        <message id="IRImage_CTTemp0">
            <source>Band low</source>
            <translation>Band low</translation>
        </message>
        <message id="IRImage_CTTemp1">
            <source>Band high</source>
            <translation>Band high</translation>
        </message>
        <message id="IRImage_CTColor0">
            <source>Band color 1</source>
            <translation>Band color 1</translation>
        </message>
        <message id="IRImage_CTColor1">
            <source>Band color 2</source>
            <translation>Band color 2</translation>
        </message>
        <message id="IRImage_SmallTarget_BG">
            <source>Background</source>
            <translation>Background</translation>
        </message>
        <message id="MeaName">
            <source>Name</source>
            <translation>Name</translation>
        </message>
        <message id="MeaColor">
            <source>Color</source>
            <translation>Color</translation>
        </message>
        <message id="TextPos">
            <source>Label position</source>
            <translation>Label position</translation>
        </message>
        <message id="TrackHigh">
            <source>Track hottest</source>
            <translation>Track hottest</translation>
        </message>
        <message id="TrackLow">
            <source>Track coldest</source>
            <translation>Track coldest</translation>
        </message>
        <message id="FixEnable">
            <source>Own emissivity</source>
            <translation>Own emissivity</translation>
        </message>
        <message id="FixEmi">
            <source>Emissivity</source>
            <translation>Emissivity</translation>
        </message>
        <message id="Use3x3">
            <source>Use 3x3 average</source>
            <translation>Use 3x3 average</translation>
        </message>
        <message id="FocusMF">
            <source>Manual focus</source>
            <translation>Manual focus</translation>
        </message>
        <message id="FocusDeltaNear">
            <source>Step near</source>
            <translation>Step near</translation>
        </message>
        <message id="FocusDeltaFar">
            <source>Step far</source>
            <translation>Step far</translation>
        </message>
        <message id="FocusContiNear">
            <source>Focus near</source>
            <translation>Focus near</translation>
        </message>
        <message id="FocusContiStop">
            <source>Stop focus</source>
            <translation>Stop focus</translation>
        </message>
        <message id="FocusContiFar">
            <source>Focus far</source>
            <translation>Focus far</translation>
        </message>
        <message id="FocusAF">
            <source>Autofocus</source>
            <translation>Autofocus</translation>
        </message>
        <message id="FocusXF">
            <source>Focus</source>
            <translation>Focus</translation>
        </message>
        <message id="FilterIR">
            <source>IR filter</source>
            <translation>IR filter</translation>
        </message>
        <message id="Reset">
            <source>Reset</source>
            <translation>Reset</translation>
        </message>
        <message id="PTZ">
            <source>Pan-tilt</source>
            <translation>Pan-tilt</translation>
        </message>
        <message id="SetLight">
            <source>Set light</source>
            <translation>Set light</translation>
        </message>
        <message id="sp_usage">
            <source>Usage</source>
            <translation>Usage</translation>
        </message>
        <message id="sp_portAddr">
            <source>Port address</source>
            <translation>Port address</translation>
        </message>
        <message id="sp_baudRate">
            <source>Baud rate</source>
            <translation>Baud rate</translation>
        </message>
        <message id="sp_dataBits">
            <source>Data bits</source>
            <translation>Data bits</translation>
        </message>
        <message id="sp_stopBits">
            <source>Stop bits</source>
            <translation>Stop bits</translation>
        </message>
        <message id="sp_parity">
            <source>Parity</source>
            <translation>Parity</translation>
        </message>
        <message id="Temp2Energy">
            <source>Temperature ↔ energy</source>
            <translation>Temperature ↔ energy</translation>
        </message>
        <message id="IrType">
            <source>IR band</source>
            <translation>IR band</translation>
        </message>
        <message id="Temperature">
            <source>Temperature</source>
            <translation>Temperature</translation>
        </message>
        <message id="Energy">
            <source>Energy</source>
            <translation>Energy</translation>
        </message>
        <message id="Energy2Temp">
            <source>Energy to temperature</source>
            <translation>Energy to temperature</translation>
        </message>
        <message id="Gpio">
            <source>GPIO</source>
            <translation>GPIO</translation>
        </message>
        <message id="Light">
            <source>Light</source>
            <translation>Light</translation>
        </message>
        <message id="LedYellow">
            <source>Yellow LED</source>
            <translation>Yellow LED</translation>
        </message>
        <message id="LedBlue">
            <source>Blue LED</source>
            <translation>Blue LED</translation>
        </message>
        <message id="Alarm">
            <source>Alarm</source>
            <translation>Alarm</translation>
        </message>
        <message id="Buzz">
            <source>Buzzer</source>
            <translation>Buzzer</translation>
        </message>
        <message id="SetGpio">
            <source>Set GPIO</source>
            <translation>Set GPIO</translation>
        </message>
        <message id="Shutter">
            <source>Shutter</source>
            <translation>Shutter</translation>
        </message>
        <message id="Open">
            <source>Open</source>
            <translation>Open</translation>
        </message>
        <message id="Close">
            <source>Close</source>
            <translation>Close</translation>
        </message>
        <message id="Tvout">
            <source>Video output</source>
            <translation>Video output</translation>
        </message>
        <message id="Zoom">
            <source>Zoom</source>
            <translation>Zoom</translation>
        </message>
        <message id="DisplayFlags">
            <source>Display flags</source>
            <translation>Display flags</translation>
        </message>
        <message id="IRImage">
            <source>IR image</source>
            <translation>IR image</translation>
        </message>
        <message id="IRImage_MT">
            <source>Manual range</source>
            <translation>Manual range</translation>
        </message>
        <message id="IRImage_CT">
            <source>Color band</source>
            <translation>Color band</translation>
        </message>
        <message id="H264">
            <source>H.264</source>
            <translation>H.264</translation>
        </message>
        <message id="H264_Bitrate">
            <source>Bit rate</source>
            <translation>Bit rate</translation>
        </message>
        <message id="H264_GopSize">
            <source>GOP size</source>
            <translation>GOP size</translation>
        </message>
        <message id="DeviceChart">
            <source>Trend chart</source>
            <translation>Trend chart</translation>
        </message>
        <message id="DeviceCom">
            <source>Bad-point list</source>
            <translation>Bad-point list</translation>
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
            <translation>Width</translation>
        </message>
        <message id="DataHeight">
            <source>Height</source>
            <translation>Height</translation>
        </message>
        <message id="Add">
            <source>Add</source>
            <translation>Add</translation>
        </message>
        <message id="Delete">
            <source>Delete</source>
            <translation>Delete</translation>
        </message>
        <message id="DeviceConfig">
            <source>Configure</source>
            <translation>Configure</translation>
        </message>
        <message id="System">
            <source>System</source>
            <translation>System</translation>
        </message>
        <message id="CameraBasicInfo">
            <source>Basic information</source>
            <translation>Basic information</translation>
        </message>
        <message id="FixInfo">
            <source>Temp. correction</source>
            <translation>Temp. correction</translation>
        </message>
        <message id="Network">
            <source>Network</source>
            <translation>Network</translation>
        </message>
        <message id="CameraNetworkInfo">
            <source>Network settings</source>
            <translation>Network settings</translation>
        </message>
        <message id="CameraTimeInfo">
            <source>Time settings</source>
            <translation>Time settings</translation>
        </message>
        <message id="Interface">
            <source>Interfaces</source>
            <translation>Interfaces</translation>
        </message>
        <message id="TvoutInfo">
            <source>Video output</source>
            <translation>Video output</translation>
        </message>
        <message id="SerialPortInfo">
            <source>Serial port</source>
            <translation>Serial port</translation>
        </message>
        <message id="GpioInfo">
            <source>GPIO</source>
            <translation>GPIO</translation>
        </message>
        <message id="CameraOSDInfo">
            <source>On-screen display</source>
            <translation>On-screen display</translation>
        </message>
        <message id="Advance">
            <source>Advanced</source>
            <translation>Advanced</translation>
        </message>
        <message id="FFCInfo">
            <source>Shutter correction</source>
            <translation>Shutter correction</translation>
        </message>
        <message id="DestripInfo">
            <source>Destriping</source>
            <translation>Destriping</translation>
        </message>
        <message id="DenoiseInfo">
            <source>Denoising</source>
            <translation>Denoising</translation>
        </message>
        <message id="Plugin">
            <source>Plug-ins</source>
            <translation>Plug-ins</translation>
        </message>
        <message id="CameraPluginInfo">
            <source>Protocols</source>
            <translation>Protocols</translation>
        </message>
        <message id="GB28181Info">
            <source>GB28181</source>
            <translation>GB28181</translation>
        </message>
        <message id="Test">
            <source>Test</source>
            <translation>Test</translation>
        </message>
        <message id="TestInfo">
            <source>Test outputs</source>
            <translation>Test outputs</translation>
        </message>
        <message id="Apply">
            <source>Apply</source>
            <translation>Apply</translation>
        </message>
        <message id="ApplyAndClose">
            <source>Apply and close</source>
            <translation>Apply and close</translation>
        </message>
        <message id="DeviceCust">
            <source>Correction</source>
            <translation>Correction</translation>
        </message>
        <message id="Cust_config1">
            <source>Correction table 1</source>
            <translation>Correction table 1</translation>
        </message>
        <message id="Cust_config2">
            <source>Correction table 2</source>
            <translation>Correction table 2</translation>
        </message>
        <message id="Switch">
            <source>Switch</source>
            <translation>Switch</translation>
        </message>
        <message id="FixDist_distCount">
            <source>Number of distances</source>
            <translation>Number of distances</translation>
        </message>
        <message id="FixDist_bbCount">
            <source>Number of blackbodies</source>
            <translation>Number of blackbodies</translation>
        </message>
        <message id="FixDist_dist0">
            <source>Distance 1</source>
            <translation>Distance 1</translation>
        </message>
        <message id="FixDist_dist1">
            <source>Distance 2</source>
            <translation>Distance 2</translation>
        </message>
        <message id="FixDist_dist2">
            <source>Distance 3</source>
            <translation>Distance 3</translation>
        </message>
        <message id="FixDist_dist3">
            <source>Distance 4</source>
            <translation>Distance 4</translation>
        </message>
        <message id="FixDist_dist4">
            <source>Distance 5</source>
            <translation>Distance 5</translation>
        </message>
        <message id="VolOffset">
            <source>Voltage offset</source>
            <translation>Voltage offset</translation>
        </message>
        <message id="WeiJu_len1_env_count">
            <source>Ambient count</source>
            <translation>Ambient count</translation>
        </message>
        <message id="WeiJu_cali_mode">
            <source>Calib. mode</source>
            <translation>Calib. mode</translation>
        </message>
        <message id="WeiJu_len1_shell0">
            <source>Shell temp. 1</source>
            <translation>Shell temp. 1</translation>
        </message>
        <message id="WeiJu_len1_shell1">
            <source>Shell temp. 2</source>
            <translation>Shell temp. 2</translation>
        </message>
        <message id="WeiJu_len1_shell2">
            <source>Shell temp. 3</source>
            <translation>Shell temp. 3</translation>
        </message>
        <message id="WeiJu_len1_shell3">
            <source>Shell temp. 4</source>
            <translation>Shell temp. 4</translation>
        </message>
        <message id="WeiJu_len1_bb_count">
            <source>Lens 1 BBs</source>
            <translation>Lens 1 BBs</translation>
        </message>
        <message id="WeiJu_len2_bb_count">
            <source>Lens 2 BBs</source>
            <translation>Lens 2 BBs</translation>
        </message>
        <message id="XCali">
            <source>XCali calibration</source>
            <translation>XCali calibration</translation>
        </message>
        <message id="XCaliHeadState">
            <source>Head and state</source>
            <translation>Head and state</translation>
        </message>
        <message id="XCali1">
            <source>Stage 1</source>
            <translation>Stage 1</translation>
        </message>
        <message id="XCali2">
            <source>Stage 2</source>
            <translation>Stage 2</translation>
        </message>
        <message id="XCaliCust">
            <source>Custom points</source>
            <translation>Custom points</translation>
        </message>
        <message id="XCaliState_info">
            <source>State</source>
            <translation>State</translation>
        </message>
        <message id="XCali_caliCount">
            <source>Calibration entries</source>
            <translation>Calibration entries</translation>
        </message>
        <message id="XCali_gearLevel">
            <source>Gear</source>
            <translation>Gear</translation>
        </message>
        <message id="Refresh">
            <source>Refresh</source>
            <translation>Refresh</translation>
        </message>
        <message id="Reboot">
            <source>Restart</source>
            <translation>Restart</translation>
        </message>
        <message id="ResConfig">
            <source>Resolutions</source>
            <translation>Resolutions</translation>
        </message>
        <message id="Width">
            <source>Width</source>
            <translation>Width</translation>
        </message>
        <message id="Height">
            <source>Height</source>
            <translation>Height</translation>
        </message>
        <message id="Fps">
            <source>FPS</source>
            <translation>FPS</translation>
        </message>
        <message id="ApplyResIndex">
            <source>Use resolution</source>
            <translation>Use resolution</translation>
        </message>
        <message id="ExtBbConfig">
            <source>External blackbody</source>
            <translation>External blackbody</translation>
        </message>
        <message id="ExtBbConfig_enable">
            <source>Use external blackbody</source>
            <translation>Use external blackbody</translation>
        </message>
        <message id="ExtBbConfig_temp">
            <source>Blackbody temperature</source>
            <translation>Blackbody temperature</translation>
        </message>
        <message id="ExtBbConfig_x">
            <source>Blackbody X</source>
            <translation>Blackbody X</translation>
        </message>
        <message id="ExtBbConfig_y">
            <source>Blackbody Y</source>
            <translation>Blackbody Y</translation>
        </message>
        <message id="ExtBbConfig_radius">
            <source>Blackbody radius</source>
            <translation>Blackbody radius</translation>
        </message>
        <message id="ApplyExtBbConfig">
            <source>Apply blackbody</source>
            <translation>Apply blackbody</translation>
        </message>
        <message id="XCali1_filter">
            <source>Filter</source>
            <translation>Filter</translation>
        </message>
        <message id="XCali1_name">
            <source>Name</source>
            <translation>Name</translation>
        </message>
        <message id="XCali1_shutterMode">
            <source>Shutter mode</source>
            <translation>Shutter mode</translation>
        </message>
        <message id="XCali1_envTempMin">
            <source>Ambient min.</source>
            <translation>Ambient min.</translation>
        </message>
        <message id="XCali1_envTempMax">
            <source>Ambient max.</source>
            <translation>Ambient max.</translation>
        </message>
        <message id="XCali1_bbTempMin">
            <source>Blackbody min.</source>
            <translation>Blackbody min.</translation>
        </message>
        <message id="XCali1_bbTempMax">
            <source>Blackbody max.</source>
            <translation>Blackbody max.</translation>
        </message>
        <message id="FPA">
            <source>Detector</source>
            <translation>Detector</translation>
        </message>
        <message id="Cali1File">
            <source>Calibration file</source>
            <translation>Calibration file</translation>
        </message>
        <message id="Select">
            <source>Select</source>
            <translation>Select</translation>
        </message>
        <message id="Upload">
            <source>Upload</source>
            <translation>Upload</translation>
        </message>
        <message id="XCali2_enable">
            <source>Use stage 2</source>
            <translation>Use stage 2</translation>
        </message>
        <message id="LeaveImport">
            <source>Leave import</source>
            <translation>Leave import</translation>
        </message>
        <message id="EnterImport">
            <source>Import mode</source>
            <translation>Import mode</translation>
        </message>
        <message id="XCali2_envCount">
            <source>Ambient points</source>
            <translation>Ambient points</translation>
        </message>
        <message id="XCali2_bbCount">
            <source>Blackbodies</source>
            <translation>Blackbodies</translation>
        </message>
        <message id="XCali2_shell0">
            <source>Shell temp. 1</source>
            <translation>Shell temp. 1</translation>
        </message>
        <message id="XCali2_shell1">
            <source>Shell temp. 2</source>
            <translation>Shell temp. 2</translation>
        </message>
        <message id="XCali2_shell2">
            <source>Shell temp. 3</source>
            <translation>Shell temp. 3</translation>
        </message>
        <message id="XCali2_shell3">
            <source>Shell temp. 4</source>
            <translation>Shell temp. 4</translation>
        </message>
        <message id="Import">
            <source>Import</source>
            <translation>Import</translation>
        </message>
        <message id="XCaliCust_enable">
            <source>Use custom points</source>
            <translation>Use custom points</translation>
        </message>
        <message id="XCaliCust_bbCount">
            <source>Blackbodies</source>
            <translation>Blackbodies</translation>
        </message>
        <message id="SetHead">
            <source>Write head</source>
            <translation>Write head</translation>
        </message>
        <message id="SetCali1">
            <source>Write stage 1</source>
            <translation>Write stage 1</translation>
        </message>
        <message id="SetCali2">
            <source>Write stage 2</source>
            <translation>Write stage 2</translation>
        </message>
        <message id="SetCust">
            <source>Write custom points</source>
            <translation>Write custom points</translation>
        </message>
        <message id="Preview">
            <source>Preview</source>
            <translation>Preview</translation>
        </message>
        <message id="Config">
            <source>Configuration</source>
            <translation>Configuration</translation>
        </message>
        <message id="DeviceCali">
            <source>Calibration</source>
            <translation>Calibration</translation>
        </message>
        <message id="LeaveFullscreen">
            <source>Leave full screen</source>
            <translation>Leave full screen</translation>
        </message>
        <message id="EnterFullscreen">
            <source>Full screen</source>
            <translation>Full screen</translation>
        </message>
        <message id="OK">
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message id="NoDevice">
            <source>No camera chosen</source>
            <translation>No camera chosen</translation>
        </message>
        <message id="NoFile">
            <source>No file chosen</source>
            <translation>No file chosen</translation>
        </message>
        <message id="InvalidFile">
            <source>Wrong file type</source>
            <translation>Wrong file type</translation>
        </message>
        <message id="DeviceIp">
            <source>Camera IP</source>
            <translation>Camera IP</translation>
        </message>
        <message id="Message">
            <source>Result</source>
            <translation>Result</translation>
        </message>
        <message id="Firmware">
            <source>Firmware</source>
            <translation>Firmware</translation>
        </message>
        <message id="UploadMulti">
            <source>Upload to ticked</source>
            <translation>Upload to ticked</translation>
        </message>
        <message id="Download">
            <source>Download</source>
            <translation>Download</translation>
        </message>
        <message id="RestoreFactory">
            <source>Restore factory settings</source>
            <translation>Restore factory settings</translation>
        </message>
        <message id="RestartDevice">
            <source>Restart camera</source>
            <translation>Restart camera</translation>
        </message>
        <message id="GetTime">
            <source>Read clock</source>
            <translation>Read clock</translation>
        </message>
        <message id="SetTime">
            <source>Set clock</source>
            <translation>Set clock</translation>
        </message>
        <message id="SetTimeMulti">
            <source>Set clock on ticked</source>
            <translation>Set clock on ticked</translation>
        </message>
        <message id="DeviceList">
            <source>Cameras</source>
            <translation>Cameras</translation>
        </message>
        <message id="Search">
            <source>Search</source>
            <translation>Search</translation>
        </message>
        <message id="InvalidIp">
            <source>Not a valid IP address</source>
            <translation>Not a valid IP address</translation>
        </message>
        <message id="Play">
            <source>Play</source>
            <translation>Play</translation>
        </message>
        <message id="Stop">
            <source>Stop</source>
            <translation>Stop</translation>
        </message>
        <message id="Snap">
            <source>Snapshot</source>
            <translation>Snapshot</translation>
        </message>
        <message id="RecordEnd">
            <source>Stop recording</source>
            <translation>Stop recording</translation>
        </message>
        <message id="RecordBegin">
            <source>Record</source>
            <translation>Record</translation>
        </message>
        <message id="Chart">
            <source>Chart</source>
            <translation>Chart</translation>
        </message>
        <message id="Image">
            <source>Image</source>
            <translation>Image</translation>
        </message>
        <message id="Control">
            <source>Control</source>
            <translation>Control</translation>
        </message>
        <message id="ImageConfig">
            <source>Image settings</source>
            <translation>Image settings</translation>
        </message>
        <message id="MeaConfig">
            <source>Measurement settings</source>
            <translation>Measurement settings</translation>
        </message>
        <message id="More">
            <source>More</source>
            <translation>More</translation>
        </message>
        <message id="MoreColors">
            <source>More colors</source>
            <translation>More colors</translation>
        </message>
        <message id="ValueRange">
            <source>Range</source>
            <translation>Range</translation>
        </message>
        <message id="ValueNotNull">
            <source>Must not be empty</source>
            <translation>Must not be empty</translation>
        </message>
        <message id="SelectColor">
            <source>Select color</source>
            <translation>Select color</translation>
        </message>
        <message id="zh_CN">
            <source>Chinese</source>
            <translation>Chinese</translation>
        </message>
        <message id="en_US">
            <source>English</source>
            <translation>English</translation>
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
            <translation>Histogram (PHE)</translation>
        </message>
        <message id="StrechType_LINEAR">
            <source>Linear</source>
            <translation>Linear</translation>
        </message>
        <message id="StrechType_PHE2023">
            <source>Histogram (PHE 2023)</source>
            <translation>Histogram (PHE 2023)</translation>
        </message>
        <message id="StrechType_SmallTarget">
            <source>Small target</source>
            <translation>Small target</translation>
        </message>
        <message id="ColorTempType_None">
            <source>None</source>
            <translation>None</translation>
        </message>
        <message id="ColorTempType_High">
            <source>Above</source>
            <translation>Above</translation>
        </message>
        <message id="ColorTempType_Low">
            <source>Below</source>
            <translation>Below</translation>
        </message>
        <message id="ColorTempType_Mid">
            <source>Between</source>
            <translation>Between</translation>
        </message>
        <message id="ColorTempType_ExMid">
            <source>Outside</source>
            <translation>Outside</translation>
        </message>
        <message id="TextPos_None">
            <source>None</source>
            <translation>None</translation>
        </message>
        <message id="TextPos_TopLeft">
            <source>Top left</source>
            <translation>Top left</translation>
        </message>
        <message id="TextPos_TopRight">
            <source>Top right</source>
            <translation>Top right</translation>
        </message>
        <message id="TextPos_BottomLeft">
            <source>Bottom left</source>
            <translation>Bottom left</translation>
        </message>
        <message id="TextPos_BottomRight">
            <source>Bottom right</source>
            <translation>Bottom right</translation>
        </message>
        <message id="IRDestripType_None">
            <source>None</source>
            <translation>None</translation>
        </message>
        <message id="IRDestripType_ColV1">
            <source>Columns</source>
            <translation>Columns</translation>
        </message>
        <message id="IRDestripType_ColV1opt">
            <source>Columns, optimised</source>
            <translation>Columns, optimised</translation>
        </message>
        <message id="IRDenoiseType_None">
            <source>None</source>
            <translation>None</translation>
        </message>
        <message id="IRDenoiseType_GF">
            <source>Guided filter</source>
            <translation>Guided filter</translation>
        </message>
        <message id="IRDenoiseType_GFSub2">
            <source>Guided filter, 1/2</source>
            <translation>Guided filter, 1/2</translation>
        </message>
        <message id="IRDenoiseType_GFSub4">
            <source>Guided filter, 1/4</source>
            <translation>Guided filter, 1/4</translation>
        </message>
        <message id="MeaTool_Select">
            <source>Select</source>
            <translation>Select</translation>
        </message>
        <message id="MeaTool_Point1x1">
            <source>Point</source>
            <translation>Point</translation>
        </message>
        <message id="MeaTool_Point1x1Desc">
            <source>Point: the temperature of one pixel</source>
            <translation>Point: the temperature of one pixel</translation>
        </message>
        <message id="MeaTool_Point3x3">
            <source>3x3 point</source>
            <translation>3x3 point</translation>
        </message>
        <message id="MeaTool_Point3x3Desc">
            <source>3x3 point: the mean of 3 x 3 pixels</source>
            <translation>3x3 point: the mean of 3 x 3 pixels</translation>
        </message>
        <message id="MeaTool_PointCross">
            <source>Cross</source>
            <translation>Cross</translation>
        </message>
        <message id="MeaTool_PointCrossDesc">
            <source>Cross: a point with a cross marker</source>
            <translation>Cross: a point with a cross marker</translation>
        </message>
        <message id="MeaTool_Line">
            <source>Line</source>
            <translation>Line</translation>
        </message>
        <message id="MeaTool_LineDesc">
            <source>Line: maximum, minimum and mean along a line</source>
            <translation>Line: maximum, minimum and mean along a line</translation>
        </message>
        <message id="MeaTool_Polyline">
            <source>Polyline</source>
            <translation>Polyline</translation>
        </message>
        <message id="MeaTool_PolylineDesc">
            <source>Polyline: click the points, double-click to finish</source>
            <translation>Polyline: click the points, double-click to finish</translation>
        </message>
        <message id="MeaTool_Ellipse">
            <source>Ellipse</source>
            <translation>Ellipse</translation>
        </message>
        <message id="MeaTool_EllipseDesc">
            <source>Ellipse: drag to draw an ellipse</source>
            <translation>Ellipse: drag to draw an ellipse</translation>
        </message>
        <message id="MeaTool_Circle">
            <source>Circle</source>
            <translation>Circle</translation>
        </message>
        <message id="MeaTool_CircleDesc">
            <source>Circle: drag to draw a circle</source>
            <translation>Circle: drag to draw a circle</translation>
        </message>
        <message id="MeaTool_Custom">
            <source>Free shape</source>
            <translation>Free shape</translation>
        </message>
        <message id="MeaTool_CustomDesc">
            <source>Free shape: draw the outline by hand</source>
            <translation>Free shape: draw the outline by hand</translation>
        </message>
        <message id="MeaTool_Rectangle">
            <source>Rectangle</source>
            <translation>Rectangle</translation>
        </message>
        <message id="MeaTool_RectangleDesc">
            <source>Rectangle: drag to draw a rectangle</source>
            <translation>Rectangle: drag to draw a rectangle</translation>
        </message>
        <message id="MeaTool_Square">
            <source>Square</source>
            <translation>Square</translation>
        </message>
        <message id="MeaTool_SquareDesc">
            <source>Square: drag to draw a square</source>
            <translation>Square: drag to draw a square</translation>
        </message>
        <message id="MeaTool_Polygon">
            <source>Polygon</source>
            <translation>Polygon</translation>
        </message>
        <message id="MeaTool_PolygonDesc">
            <source>Polygon: click the corners, double-click to close</source>
            <translation>Polygon: click the corners, double-click to close</translation>
        </message>
        <message id="MeaTool_EditPoint">
            <source>Edit points</source>
            <translation>Edit points</translation>
        </message>
        <message id="MeaTool_EditPointDesc">
            <source>Edit points: click an edge to add a point, a point to remove it</source>
            <translation>Edit points: click an edge to add a point, a point to remove it</translation>
        </message>
        <message id="MeaTool_Hide">
            <source>Hide tools</source>
            <translation>Hide tools</translation>
        </message>
        <message id="MeaTool_HideDesc">
            <source>Hide or show the measurement marks</source>
            <translation>Hide or show the measurement marks</translation>
        </message>
        <message id="Cali1">
            <source>Stage 1</source>
            <translation>Stage 1</translation>
        </message>
        <message id="Len1_Cali2">
            <source>Lens 1, stage 2</source>
            <translation>Lens 1, stage 2</translation>
        </message>
        <message id="Len2_Cali2">
            <source>Lens 2, stage 2</source>
            <translation>Lens 2, stage 2</translation>
        </message>
        <message id="Preset">
            <source>Preset </source>
            <translation>Preset </translation>
        </message>
        <message id="FirmwareNameRule">
            <source>Firmware names begin with "%1" or "%2"</source>
            <translation>Firmware names begin with "%1" or "%2"</translation>
        </message>
        <message id="FirmwareNameRuleMaker">
            <source>Firmware names begin with "%1"</source>
            <translation>Firmware names begin with "%1"</translation>
        </message>
        <message id="Status_Failed">
            <source></source>
            <translation>failed</translation>
        </message>
        <message id="Status_Unsupported">
            <source></source>
            <translation>not supported</translation>
        </message>
        <message id="Status_NotInitialised">
            <source></source>
            <translation>not ready</translation>
        </message>
        <message id="Status_OutOfMemory">
            <source></source>
            <translation>out of memory</translation>
        </message>
        <message id="Status_NoSlot">
            <source></source>
            <translation>no free slot</translation>
        </message>
        <message id="Status_WrongState">
            <source></source>
            <translation>not possible now</translation>
        </message>
        <message id="InvalidInput">
            <source></source>
            <translation>Invalid input: correct the marked fields</translation>
        </message>
        <message id="Status_BadArgument">
            <source></source>
            <translation>invalid value</translation>
        </message>
        <message id="Status_BadHandle">
            <source></source>
            <translation>not open</translation>
        </message>
        <message id="Status_Mismatch">
            <source></source>
            <translation>does not match</translation>
        </message>
        <message id="Status_Lost">
            <source></source>
            <translation>connection lost</translation>
        </message>
        <message id="Status_Restored">
            <source></source>
            <translation>connection restored</translation>
        </message>
        <message id="Status_NoReply">
            <source></source>
            <translation>no reply</translation>
        </message>
        <message id="Status_SendFailed">
            <source></source>
            <translation>sending failed</translation>
        </message>
        <message id="Status_ConnectFailed">
            <source></source>
            <translation>cannot connect</translation>
        </message>
        <message id="Status_NoSocket">
            <source></source>
            <translation>network unavailable</translation>
        </message>
        <message id="Status_SeekFailed">
            <source></source>
            <translation>cannot seek in the file</translation>
        </message>
        <message id="Status_BadFrameHeader">
            <source></source>
            <translation>damaged frame header</translation>
        </message>
        <message id="Status_ShortWrite">
            <source></source>
            <translation>cannot write the file</translation>
        </message>
        <message id="Status_ShortRead">
            <source></source>
            <translation>file too short</translation>
        </message>
        <message id="Status_CannotOpen">
            <source></source>
            <translation>cannot open the file</translation>
        </message>
    </context>
</TS>
