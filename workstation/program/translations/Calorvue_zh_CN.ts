<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name></name>
    <message id="OpenFile">
        <source></source>
        <translation>打开文件</translation>
    </message>
    <message id="OpenWorkspace">
        <source></source>
        <translation>打开工作区</translation>
    </message>
    <message id="SaveWorkspace">
        <source></source>
        <translation>保存工作区</translation>
    </message>
    <message id="SavePng">
        <source></source>
        <translation>保存PNG文件</translation>
    </message>
    <message id="SaveCsv">
        <source></source>
        <translation>保存CSV文件</translation>
    </message>
    <message id="SaveJpg">
        <source></source>
        <translation>保存图片</translation>
    </message>
    <message id="SaveStream">
        <source></source>
        <translation>保存数据流</translation>
    </message>
    <message id="SaveMp4">
        <source></source>
        <translation>保存视频</translation>
    </message>
    <message id="InvalidFile">
        <source></source>
        <translation>不是含温度数据的热像图片（.jpg 或 .bmp）：</translation>
    </message>
    <message id="SelectFolder">
        <source></source>
        <translation>选择目录</translation>
    </message>
    <message id="Chart_Space">
        <source></source>
        <translation>空间分布图</translation>
    </message>
    <message id="Chart_Time">
        <source></source>
        <translation>时间趋势图</translation>
    </message>
    <message id="Chart_Mesh">
        <source></source>
        <translation>三维曲面图</translation>
    </message>
    <message id="Chart">
        <source></source>
        <translation>图表</translation>
    </message>
    <message id="Table_Input">
        <source></source>
        <translation>图像信息表</translation>
    </message>
    <message id="Table_Mea">
        <source></source>
        <translation>测温结果表</translation>
    </message>
    <message id="Table">
        <source></source>
        <translation>表格</translation>
    </message>
    <message id="MeaInfo">
        <source></source>
        <translation>测温对象</translation>
    </message>
    <message id="AppInfo">
        <source></source>
        <translation>关于</translation>
    </message>
    <message id="AppName">
        <source></source>
        <translation>程序名称</translation>
    </message>
    <message id="AppVersion">
        <source></source>
        <translation>版本</translation>
    </message>
    <message id="InvalidInput">
        <source></source>
        <translation>输入无效：请更正标红的字段</translation>
    </message>
    <message id="SaveDirTooLong">
        <source></source>
        <translation>目录路径过长</translation>
    </message>
    <message id="SaveFailed">
        <source></source>
        <translation>保存失败</translation>
    </message>
    <message id="Settings">
        <source></source>
        <translation>设置</translation>
    </message>
    <message id="Language">
        <source></source>
        <translation>语言</translation>
    </message>
    <message id="SaveDir">
        <source></source>
        <translation>保存目录</translation>
    </message>
    <message id="DisplayFpsMax">
        <source></source>
        <translation>最大显示帧率 (fps)</translation>
    </message>
    <message id="Save">
        <source></source>
        <translation>保存</translation>
    </message>
    <message id="Cancel">
        <source></source>
        <translation>取消</translation>
    </message>
    <message id="Overwrite">
        <source></source>
        <translation>覆盖文件</translation>
    </message>
    <message id="OverwriteOutputFile">
        <source></source>
        <translation>文件已存在，是否覆盖？</translation>
    </message>
    <message id="Yes">
        <source></source>
        <translation>是</translation>
    </message>
    <message id="No">
        <source></source>
        <translation>否</translation>
    </message>
    <message id="SaveSettings">
        <source></source>
        <translation>保存设置</translation>
    </message>
    <message id="SaveInputPrompt">
        <source></source>
        <translation>是否保存该视图的设置？</translation>
    </message>
    <message id="SaveNone">
        <source></source>
        <translation>不保存</translation>
    </message>
    <message id="Input">
        <source></source>
        <translation>输入源</translation>
    </message>
    <message id="SaveAll">
        <source></source>
        <translation>全部保存</translation>
    </message>
    <message id="SaveSelected">
        <source></source>
        <translation>保存所选</translation>
    </message>
    <message id="Workspace">
        <source></source>
        <translation>工作区</translation>
    </message>
    <message id="AutoX">
        <source></source>
        <translation>X轴自适应</translation>
    </message>
    <message id="AutoY">
        <source></source>
        <translation>Y轴自适应</translation>
    </message>
    <message id="ExportPng">
        <source></source>
        <translation>导出PNG</translation>
    </message>
    <message id="ExportCsv">
        <source></source>
        <translation>导出CSV</translation>
    </message>
    <message id="Clipboard">
        <source></source>
        <translation>剪贴板</translation>
    </message>
    <message id="ExportIrJpg">
        <source></source>
        <translation>导出图片</translation>
    </message>
    <message id="ExportIrStream">
        <source></source>
        <translation>导出数据流</translation>
    </message>
    <message id="ExportIrMp4">
        <source></source>
        <translation>导出视频</translation>
    </message>
    <message id="Export">
        <source></source>
        <translation>导出</translation>
    </message>
    <message id="ExportIr_SplitAsJpg">
        <source></source>
        <translation>拆分为图片</translation>
    </message>
    <message id="ConfigMea">
        <source></source>
        <translation>测温对象设置</translation>
    </message>
    <message id="MeaName">
        <source></source>
        <translation>名称</translation>
    </message>
    <message id="MeaColor">
        <source></source>
        <translation>颜色</translation>
    </message>
    <message id="TextPos">
        <source></source>
        <translation>标签位置</translation>
    </message>
    <message id="TrackHigh">
        <source></source>
        <translation>标记最高温</translation>
    </message>
    <message id="TrackLow">
        <source></source>
        <translation>标记最低温</translation>
    </message>
    <message id="FixEnable">
        <source></source>
        <translation>独立修正</translation>
    </message>
    <message id="FixEmi">
        <source></source>
        <translation>发射率</translation>
    </message>
    <message id="Use3x3">
        <source></source>
        <translation>3x3平均</translation>
    </message>
    <message id="OK">
        <source></source>
        <translation>确定</translation>
    </message>
    <message id="ConfigModuleName">
        <source></source>
        <translation>重命名视图</translation>
    </message>
    <message id="RecorderConfig">
        <source></source>
        <translation>录制设置</translation>
    </message>
    <message id="RecorderConfig_startTrigger">
        <source></source>
        <translation>开始触发</translation>
    </message>
    <message id="RecorderConfig_stopTrigger">
        <source></source>
        <translation>停止触发</translation>
    </message>
    <message id="RecorderConfig_addToRecent">
        <source></source>
        <translation>加入最近文件</translation>
    </message>
    <message id="RecorderConfig_preBufferEnable">
        <source></source>
        <translation>开始前预录</translation>
    </message>
    <message id="RecorderConfig_preBuffer">
        <source></source>
        <translation>触发前时长 (秒)</translation>
    </message>
    <message id="RecorderConfig_postBufferEnable">
        <source></source>
        <translation>停止后继续录制</translation>
    </message>
    <message id="RecorderConfig_postBuffer">
        <source></source>
        <translation>触发后时长 (秒)</translation>
    </message>
    <message id="RecorderConfig_autoDelayStopBuffer">
        <source></source>
        <translation>停止延时 (秒)</translation>
    </message>
    <message id="RecorderConfig_fnPrefixEnable">
        <source></source>
        <translation>文件名含前缀</translation>
    </message>
    <message id="RecorderConfig_fnPrefix">
        <source></source>
        <translation>前缀</translation>
    </message>
    <message id="RecorderConfig_fnCountEnable">
        <source></source>
        <translation>文件名含序号</translation>
    </message>
    <message id="RecorderConfig_fnCount">
        <source></source>
        <translation>下一个序号</translation>
    </message>
    <message id="RecorderConfig_fnCountLen">
        <source></source>
        <translation>序号位数</translation>
    </message>
    <message id="RecorderConfig_fnCameraIdentity">
        <source></source>
        <translation>文件名含相机名</translation>
    </message>
    <message id="RecorderConfig_fnDateTime">
        <source></source>
        <translation>文件名含日期时间</translation>
    </message>
    <message id="RecorderConfig_fnSuffixEnable">
        <source></source>
        <translation>文件名含后缀</translation>
    </message>
    <message id="RecorderConfig_fnSuffix">
        <source></source>
        <translation>后缀</translation>
    </message>
    <message id="ConfigTabLayout">
        <source></source>
        <translation>标签页布局</translation>
    </message>
    <message id="ConfigTabName">
        <source></source>
        <translation>重命名标签页</translation>
    </message>
    <message id="ExportIr_WithTemp">
        <source></source>
        <translation>包含温度数据</translation>
    </message>
    <message id="ExportIr_WithRoi">
        <source></source>
        <translation>包含测温对象</translation>
    </message>
    <message id="ExportIr_Colorbar">
        <source></source>
        <translation>包含色标</translation>
    </message>
    <message id="ExportIr_StreamBegin">
        <source></source>
        <translation>起始帧</translation>
    </message>
    <message id="ExportIr_StreamEnd">
        <source></source>
        <translation>结束帧</translation>
    </message>
    <message id="ExportIr_StreamInterval">
        <source></source>
        <translation>帧间隔</translation>
    </message>
    <message id="Visible_On">
        <source></source>
        <translation>显示中</translation>
    </message>
    <message id="Visible_Off">
        <source></source>
        <translation>已隐藏</translation>
    </message>
    <message id="Delete">
        <source></source>
        <translation>删除</translation>
    </message>
    <message id="IRImage">
        <source></source>
        <translation>图像设置</translation>
    </message>
    <message id="IRImage_StrechType">
        <source></source>
        <translation>拉伸方式</translation>
    </message>
    <message id="IRImage_Gain">
        <source></source>
        <translation>增益</translation>
    </message>
    <message id="IRImage_Temp2Gray">
        <source></source>
        <translation>温度灰度比</translation>
    </message>
    <message id="IRImage_DDELevel">
        <source></source>
        <translation>细节增强</translation>
    </message>
    <message id="IRImage_Denoise">
        <source></source>
        <translation>降噪</translation>
    </message>
    <message id="IRImage_SmallTarget_BG">
        <source></source>
        <translation>背景抑制</translation>
    </message>
    <message id="IRImage_CT">
        <source></source>
        <translation>温度着色</translation>
    </message>
    <message id="IRImage_CTType">
        <source></source>
        <translation>模式</translation>
    </message>
    <message id="IRImage_CTTemp0">
        <source></source>
        <translation>温度1</translation>
    </message>
    <message id="IRImage_CTTemp1">
        <source></source>
        <translation>温度2</translation>
    </message>
    <message id="IRImage_CTColor0">
        <source></source>
        <translation>颜色1</translation>
    </message>
    <message id="IRImage_CTColor1">
        <source></source>
        <translation>颜色2</translation>
    </message>
    <message id="Apply">
        <source></source>
        <translation>应用</translation>
    </message>
    <message id="IRImage_MT">
        <source></source>
        <translation>手动温宽</translation>
    </message>
    <message id="IRImage_MTEnable">
        <source></source>
        <translation>启用</translation>
    </message>
    <message id="IRImage_MTTemp0">
        <source></source>
        <translation>最低温度</translation>
    </message>
    <message id="IRImage_MTTemp1">
        <source></source>
        <translation>最高温度</translation>
    </message>
    <message id="IRImage_Palette">
        <source></source>
        <translation>伪彩色</translation>
    </message>
    <message id="Files">
        <source></source>
        <translation>文件</translation>
    </message>
    <message id="Workspaces">
        <source></source>
        <translation>工作区</translation>
    </message>
    <message id="NewWorkspace">
        <source></source>
        <translation>新建工作区</translation>
    </message>
    <message id="ShowFiles">
        <source></source>
        <translation>文件列表</translation>
    </message>
    <message id="Devices">
        <source></source>
        <translation>设备</translation>
    </message>
    <message id="ScanDevices">
        <source></source>
        <translation>搜索设备</translation>
    </message>
    <message id="SaveWorkspaceAs">
        <source></source>
        <translation>工作区另存为</translation>
    </message>
    <message id="ShowDevices">
        <source></source>
        <translation>设备列表</translation>
    </message>
    <message id="Exit">
        <source></source>
        <translation>退出</translation>
    </message>
    <message id="Show">
        <source></source>
        <translation>显示</translation>
    </message>
    <message id="Close">
        <source></source>
        <translation>关闭</translation>
    </message>
    <message id="CloseAllFiles">
        <source></source>
        <translation>关闭全部文件</translation>
    </message>
    <message id="Connect">
        <source></source>
        <translation>连接</translation>
    </message>
    <message id="Disconnect">
        <source></source>
        <translation>断开</translation>
    </message>
    <message id="192.168.1.201">
        <source></source>
        <translation>192.168.1.201</translation>
    </message>
    <message id="ManualCreate">
        <source></source>
        <translation>添加</translation>
    </message>
    <message id="Update">
        <source></source>
        <translation>更新</translation>
    </message>
    <message id="UserManual">
        <source></source>
        <translation>用户手册</translation>
    </message>
    <message id="More">
        <source></source>
        <translation>更多</translation>
    </message>
    <message id="Open">
        <source></source>
        <translation>打开</translation>
    </message>
    <message id="Place">
        <source></source>
        <translation>放置于此</translation>
    </message>
    <message id="Merge">
        <source></source>
        <translation>合并</translation>
    </message>
    <message id="Frame">
        <source></source>
        <translation>帧</translation>
    </message>
    <message id="Column">
        <source></source>
        <translation>列</translation>
    </message>
    <message id="Temp">
        <source></source>
        <translation>温度</translation>
    </message>
    <message id="Row">
        <source></source>
        <translation>行</translation>
    </message>
    <message id="Pixel">
        <source></source>
        <translation>像素</translation>
    </message>
    <message id="AutoXY">
        <source></source>
        <translation>双轴自适应</translation>
    </message>
    <message id="Config">
        <source></source>
        <translation>设置</translation>
    </message>
    <message id="Clear">
        <source></source>
        <translation>清除</translation>
    </message>
    <message id="Build">
        <source></source>
        <translation>生成图表</translation>
    </message>
    <message id="Reconnecting">
        <source></source>
        <translation>正在重新连接…</translation>
    </message>
    <message id="Play">
        <source></source>
        <translation>播放</translation>
    </message>
    <message id="Pause">
        <source></source>
        <translation>暂停</translation>
    </message>
    <message id="RecordEnd">
        <source></source>
        <translation>停止录制</translation>
    </message>
    <message id="RecordBegin">
        <source></source>
        <translation>开始录制</translation>
    </message>
    <message id="Snap">
        <source></source>
        <translation>抓图</translation>
    </message>
    <message id="FFC">
        <source></source>
        <translation>FFC</translation>
    </message>
    <message id="Recorder">
        <source></source>
        <translation>录制</translation>
    </message>
    <message id="PTZ">
        <source></source>
        <translation>云台</translation>
    </message>
    <message id="GearLevel">
        <source></source>
        <translation>变倍档位</translation>
    </message>
    <message id="GotoFirstFrame">
        <source></source>
        <translation>第一帧</translation>
    </message>
    <message id="BackwardFast">
        <source></source>
        <translation>快退</translation>
    </message>
    <message id="Backward">
        <source></source>
        <translation>后退</translation>
    </message>
    <message id="Stop">
        <source></source>
        <translation>停止</translation>
    </message>
    <message id="Forward">
        <source></source>
        <translation>前进</translation>
    </message>
    <message id="ForwardFast">
        <source></source>
        <translation>快进</translation>
    </message>
    <message id="GotoLastFrame">
        <source></source>
        <translation>最后一帧</translation>
    </message>
    <message id="PreviousFrame">
        <source></source>
        <translation>上一帧</translation>
    </message>
    <message id="NextFrame">
        <source></source>
        <translation>下一帧</translation>
    </message>
    <message id="SetLight">
        <source></source>
        <translation>设置补光</translation>
    </message>
    <message id="Get">
        <source></source>
        <translation>读取</translation>
    </message>
    <message id="Set">
        <source></source>
        <translation>设置</translation>
    </message>
    <message id="FocusMF">
        <source></source>
        <translation>手动聚焦</translation>
    </message>
    <message id="FocusDeltaNear">
        <source></source>
        <translation>近焦微调</translation>
    </message>
    <message id="FocusDeltaFar">
        <source></source>
        <translation>远焦微调</translation>
    </message>
    <message id="FocusContiNear">
        <source></source>
        <translation>连续近焦</translation>
    </message>
    <message id="FocusContiStop">
        <source></source>
        <translation>停止聚焦</translation>
    </message>
    <message id="FocusContiFar">
        <source></source>
        <translation>连续远焦</translation>
    </message>
    <message id="FocusAF">
        <source></source>
        <translation>自动聚焦</translation>
    </message>
    <message id="FocusXF">
        <source></source>
        <translation>聚焦位置</translation>
    </message>
    <message id="FilterIR">
        <source></source>
        <translation>红外滤光片</translation>
    </message>
    <message id="Reset">
        <source></source>
        <translation>复位</translation>
    </message>
    <message id="InputBase_inputTypeName">
        <source></source>
        <translation>输入类型</translation>
    </message>
    <message id="InputBase_capturedDate">
        <source></source>
        <translation>拍摄日期</translation>
    </message>
    <message id="InputBase_capturedTime">
        <source></source>
        <translation>拍摄时间</translation>
    </message>
    <message id="InputBase_dataSize">
        <source></source>
        <translation>图像尺寸</translation>
    </message>
    <message id="InputBase_cameraModel">
        <source></source>
        <translation>相机型号</translation>
    </message>
    <message id="InputBase_cameraSerial">
        <source></source>
        <translation>序列号</translation>
    </message>
    <message id="InputBase_lensName">
        <source></source>
        <translation>镜头</translation>
    </message>
    <message id="InputBase_tempRange">
        <source></source>
        <translation>测温范围</translation>
    </message>
    <message id="InputBase_shellTemp">
        <source></source>
        <translation>机壳温度</translation>
    </message>
    <message id="CopyToClipboardAsImage">
        <source></source>
        <translation>复制为图片</translation>
    </message>
    <message id="Name">
        <source></source>
        <translation>名称</translation>
    </message>
    <message id="Avg">
        <source></source>
        <translation>平均</translation>
    </message>
    <message id="Max">
        <source></source>
        <translation>最高</translation>
    </message>
    <message id="Min">
        <source></source>
        <translation>最低</translation>
    </message>
    <message id="Recorder_fnShort">
        <source></source>
        <translation>文件</translation>
    </message>
    <message id="Recorder_beginTime">
        <source></source>
        <translation>开始时间</translation>
    </message>
    <message id="Recorder_endTime">
        <source></source>
        <translation>结束时间</translation>
    </message>
    <message id="Recorder_duration">
        <source></source>
        <translation>时长</translation>
    </message>
    <message id="Recorder_frameCount">
        <source></source>
        <translation>帧数</translation>
    </message>
    <message id="Recorder_streamSize">
        <source></source>
        <translation>大小</translation>
    </message>
    <message id="Storage_Free">
        <source></source>
        <translation>可用空间</translation>
    </message>
    <message id="Storage_Total">
        <source></source>
        <translation>总空间</translation>
    </message>
    <message id="Current">
        <source></source>
        <translation>当前</translation>
    </message>
    <message id="Previous">
        <source></source>
        <translation>上一个</translation>
    </message>
    <message id="MoreColors">
        <source></source>
        <translation>更多颜色…</translation>
    </message>
    <message id="ValueRange">
        <source></source>
        <translation>范围：</translation>
    </message>
    <message id="ValueNotNull">
        <source></source>
        <translation>不能为空。</translation>
    </message>
    <message id="SelectColor">
        <source></source>
        <translation>选择颜色</translation>
    </message>
    <message id="zh_CN">
        <source></source>
        <translation>简体中文</translation>
    </message>
    <message id="en_US">
        <source></source>
        <translation>English</translation>
    </message>
    <message id="StrechType_PHE">
        <source></source>
        <translation>直方图均衡</translation>
    </message>
    <message id="StrechType_LINEAR">
        <source></source>
        <translation>线性</translation>
    </message>
    <message id="StrechType_PHE2023">
        <source></source>
        <translation>增强直方图</translation>
    </message>
    <message id="StrechType_SmallTarget">
        <source></source>
        <translation>小目标增强</translation>
    </message>
    <message id="ColorTempType_None">
        <source></source>
        <translation>关闭</translation>
    </message>
    <message id="ColorTempType_High">
        <source></source>
        <translation>高于</translation>
    </message>
    <message id="ColorTempType_Low">
        <source></source>
        <translation>低于</translation>
    </message>
    <message id="ColorTempType_Mid">
        <source></source>
        <translation>区间内</translation>
    </message>
    <message id="ColorTempType_ExMid">
        <source></source>
        <translation>区间外</translation>
    </message>
    <message id="TextPos_None">
        <source></source>
        <translation>不显示</translation>
    </message>
    <message id="TextPos_TopLeft">
        <source></source>
        <translation>左上</translation>
    </message>
    <message id="TextPos_TopRight">
        <source></source>
        <translation>右上</translation>
    </message>
    <message id="TextPos_BottomLeft">
        <source></source>
        <translation>左下</translation>
    </message>
    <message id="TextPos_BottomRight">
        <source></source>
        <translation>右下</translation>
    </message>
    <message id="SaveMode_Ask">
        <source></source>
        <translation>询问</translation>
    </message>
    <message id="SaveMode_Always">
        <source></source>
        <translation>总是</translation>
    </message>
    <message id="SaveMode_Never">
        <source></source>
        <translation>从不</translation>
    </message>
    <message id="EOverlayType_None">
        <source></source>
        <translation>无</translation>
    </message>
    <message id="EOverlayType_Inside">
        <source></source>
        <translation>图像内</translation>
    </message>
    <message id="EOverlayType_Outside">
        <source></source>
        <translation>图像外</translation>
    </message>
    <message id="EGearLevel_Auto">
        <source></source>
        <translation>自动</translation>
    </message>
    <message id="EGearLevel_1">
        <source></source>
        <translation>1</translation>
    </message>
    <message id="EGearLevel_2">
        <source></source>
        <translation>2</translation>
    </message>
    <message id="MeaTool_Select">
        <source></source>
        <translation>选择</translation>
    </message>
    <message id="MeaTool_Point1x1">
        <source></source>
        <translation>点</translation>
    </message>
    <message id="MeaTool_Point1x1Desc">
        <source></source>
        <translation>点：单个像素</translation>
    </message>
    <message id="MeaTool_Point3x3">
        <source></source>
        <translation>3x3点</translation>
    </message>
    <message id="MeaTool_Point3x3Desc">
        <source></source>
        <translation>点：3x3像素平均</translation>
    </message>
    <message id="MeaTool_PointCross">
        <source></source>
        <translation>十字点</translation>
    </message>
    <message id="MeaTool_PointCrossDesc">
        <source></source>
        <translation>以十字显示的点</translation>
    </message>
    <message id="MeaTool_Line">
        <source></source>
        <translation>线</translation>
    </message>
    <message id="MeaTool_LineDesc">
        <source></source>
        <translation>线：从起点拖到终点</translation>
    </message>
    <message id="MeaTool_Polyline">
        <source></source>
        <translation>折线</translation>
    </message>
    <message id="MeaTool_PolylineDesc">
        <source></source>
        <translation>折线：单击各点，双击结束</translation>
    </message>
    <message id="MeaTool_Ellipse">
        <source></source>
        <translation>椭圆</translation>
    </message>
    <message id="MeaTool_EllipseDesc">
        <source></source>
        <translation>椭圆：拖动外接矩形</translation>
    </message>
    <message id="MeaTool_Circle">
        <source></source>
        <translation>圆形</translation>
    </message>
    <message id="MeaTool_CircleDesc">
        <source></source>
        <translation>圆形：从圆心拖动</translation>
    </message>
    <message id="MeaTool_Custom">
        <source></source>
        <translation>自由区域</translation>
    </message>
    <message id="MeaTool_CustomDesc">
        <source></source>
        <translation>自由区域：绘制轮廓</translation>
    </message>
    <message id="MeaTool_Rectangle">
        <source></source>
        <translation>矩形</translation>
    </message>
    <message id="MeaTool_RectangleDesc">
        <source></source>
        <translation>矩形：对角拖动</translation>
    </message>
    <message id="MeaTool_Square">
        <source></source>
        <translation>正方形</translation>
    </message>
    <message id="MeaTool_SquareDesc">
        <source></source>
        <translation>正方形：从一角拖动</translation>
    </message>
    <message id="MeaTool_Polygon">
        <source></source>
        <translation>多边形</translation>
    </message>
    <message id="MeaTool_PolygonDesc">
        <source></source>
        <translation>多边形：单击各顶点，双击闭合</translation>
    </message>
    <message id="MeaTool_EditPoint">
        <source></source>
        <translation>编辑节点</translation>
    </message>
    <message id="MeaTool_EditPointDesc">
        <source></source>
        <translation>添加或删除节点</translation>
    </message>
    <message id="MeaTool_Hide">
        <source></source>
        <translation>隐藏</translation>
    </message>
    <message id="MeaTool_HideDesc">
        <source></source>
        <translation>显示或隐藏测温对象</translation>
    </message>
    <message id="Stats_Min">
        <source></source>
        <translation>最小值</translation>
    </message>
    <message id="Stats_Max">
        <source></source>
        <translation>最大值</translation>
    </message>
    <message id="Stats_Mean">
        <source></source>
        <translation>平均值</translation>
    </message>
    <message id="Stats_Sum">
        <source></source>
        <translation>总和</translation>
    </message>
    <message id="Stats_Std">
        <source></source>
        <translation>标准差</translation>
    </message>
    <message id="ERecorderTrigger_ManualStart">
        <source></source>
        <translation>手动开始</translation>
    </message>
    <message id="ERecorderTrigger_CameraTagStart">
        <source></source>
        <translation>相机标记开始</translation>
    </message>
    <message id="ERecorderTrigger_ManualStop">
        <source></source>
        <translation>手动停止</translation>
    </message>
    <message id="ERecorderTrigger_CameraTagStop">
        <source></source>
        <translation>相机标记停止</translation>
    </message>
    <message id="ERecorderTrigger_AutoDelayStop">
        <source></source>
        <translation>延时自动停止</translation>
    </message>
    <message id="Preset">
        <source></source>
        <translation>预置位</translation>
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
    <message id="Success">
        <source></source>
        <translation>成功</translation>
    </message>
    <message id="Fail">
        <source></source>
        <translation>失败</translation>
    </message>
    <message id="Building">
        <source></source>
        <translation>正在生成…</translation>
    </message>
    <message id="BuildNeedsStream">
        <source></source>
        <translation>生成需要已录制的流文件，实时图表无法生成</translation>
    </message>
</context>
</TS>
