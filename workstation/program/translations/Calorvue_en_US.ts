<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name></name>
    <message id="OpenFile">
        <source></source>
        <translation>Open file</translation>
    </message>
    <message id="OpenWorkspace">
        <source></source>
        <translation>Open workspace</translation>
    </message>
    <message id="SaveWorkspace">
        <source></source>
        <translation>Save workspace</translation>
    </message>
    <message id="SavePng">
        <source></source>
        <translation>Save PNG file</translation>
    </message>
    <message id="SaveCsv">
        <source></source>
        <translation>Save CSV file</translation>
    </message>
    <message id="SaveJpg">
        <source></source>
        <translation>Save picture</translation>
    </message>
    <message id="SaveStream">
        <source></source>
        <translation>Save stream</translation>
    </message>
    <message id="SaveMp4">
        <source></source>
        <translation>Save video</translation>
    </message>
    <message id="InvalidFile">
        <source></source>
        <translation>Not a radiometric picture (a .jpg or .bmp with temperatures):</translation>
    </message>
    <message id="SelectFolder">
        <source></source>
        <translation>Choose folder</translation>
    </message>
    <message id="Chart_Space">
        <source></source>
        <translation>Profile chart</translation>
    </message>
    <message id="Chart_Time">
        <source></source>
        <translation>Trend chart</translation>
    </message>
    <message id="Chart_Mesh">
        <source></source>
        <translation>Surface chart</translation>
    </message>
    <message id="Chart">
        <source></source>
        <translation>Chart</translation>
    </message>
    <message id="Table_Input">
        <source></source>
        <translation>Image details</translation>
    </message>
    <message id="Table_Mea">
        <source></source>
        <translation>Measurements</translation>
    </message>
    <message id="Table">
        <source></source>
        <translation>Table</translation>
    </message>
    <message id="MeaInfo">
        <source></source>
        <translation>Measured items</translation>
    </message>
    <message id="AppInfo">
        <source></source>
        <translation>About</translation>
    </message>
    <message id="AppName">
        <source></source>
        <translation>Program</translation>
    </message>
    <message id="AppVersion">
        <source></source>
        <translation>Version</translation>
    </message>
    <message id="InvalidInput">
        <source></source>
        <translation>Invalid input: correct the marked fields</translation>
    </message>
    <message id="SaveDirTooLong">
        <source></source>
        <translation>Folder path is too long</translation>
    </message>
    <message id="SaveFailed">
        <source></source>
        <translation>Saving failed</translation>
    </message>
    <message id="Settings">
        <source></source>
        <translation>Settings</translation>
    </message>
    <message id="Language">
        <source></source>
        <translation>Language</translation>
    </message>
    <message id="SaveDir">
        <source></source>
        <translation>Save folder</translation>
    </message>
    <message id="DisplayFpsMax">
        <source></source>
        <translation>Max. display rate (fps)</translation>
    </message>
    <message id="Save">
        <source></source>
        <translation>Save</translation>
    </message>
    <message id="Cancel">
        <source></source>
        <translation>Cancel</translation>
    </message>
    <message id="Overwrite">
        <source></source>
        <translation>Replace file</translation>
    </message>
    <message id="OverwriteOutputFile">
        <source></source>
        <translation>The file exists. Replace it?</translation>
    </message>
    <message id="Yes">
        <source></source>
        <translation>Yes</translation>
    </message>
    <message id="No">
        <source></source>
        <translation>No</translation>
    </message>
    <message id="SaveSettings">
        <source></source>
        <translation>Save settings</translation>
    </message>
    <message id="SaveInputPrompt">
        <source></source>
        <translation>Save the view&apos;s settings?</translation>
    </message>
    <message id="SaveNone">
        <source></source>
        <translation>Don&apos;t save</translation>
    </message>
    <message id="Input">
        <source></source>
        <translation>Source</translation>
    </message>
    <message id="SaveAll">
        <source></source>
        <translation>Save all</translation>
    </message>
    <message id="SaveSelected">
        <source></source>
        <translation>Save selected</translation>
    </message>
    <message id="Workspace">
        <source></source>
        <translation>Workspace</translation>
    </message>
    <message id="AutoX">
        <source></source>
        <translation>Fit X axis</translation>
    </message>
    <message id="AutoY">
        <source></source>
        <translation>Fit Y axis</translation>
    </message>
    <message id="ExportPng">
        <source></source>
        <translation>Export PNG</translation>
    </message>
    <message id="ExportCsv">
        <source></source>
        <translation>Export CSV</translation>
    </message>
    <message id="Clipboard">
        <source></source>
        <translation>Clipboard</translation>
    </message>
    <message id="ExportIrJpg">
        <source></source>
        <translation>Export picture</translation>
    </message>
    <message id="ExportIrStream">
        <source></source>
        <translation>Export stream</translation>
    </message>
    <message id="ExportIrMp4">
        <source></source>
        <translation>Export video</translation>
    </message>
    <message id="Export">
        <source></source>
        <translation>Export</translation>
    </message>
    <message id="ExportIr_SplitAsJpg">
        <source></source>
        <translation>As single pictures</translation>
    </message>
    <message id="ConfigMea">
        <source></source>
        <translation>Measurement settings</translation>
    </message>
    <message id="MeaName">
        <source></source>
        <translation>Name</translation>
    </message>
    <message id="MeaColor">
        <source></source>
        <translation>Colour</translation>
    </message>
    <message id="TextPos">
        <source></source>
        <translation>Label position</translation>
    </message>
    <message id="TrackHigh">
        <source></source>
        <translation>Mark hottest</translation>
    </message>
    <message id="TrackLow">
        <source></source>
        <translation>Mark coldest</translation>
    </message>
    <message id="FixEnable">
        <source></source>
        <translation>Own correction</translation>
    </message>
    <message id="FixEmi">
        <source></source>
        <translation>Emissivity</translation>
    </message>
    <message id="Use3x3">
        <source></source>
        <translation>3x3 mean</translation>
    </message>
    <message id="OK">
        <source></source>
        <translation>OK</translation>
    </message>
    <message id="ConfigModuleName">
        <source></source>
        <translation>Rename view</translation>
    </message>
    <message id="RecorderConfig">
        <source></source>
        <translation>Recorder settings</translation>
    </message>
    <message id="RecorderConfig_startTrigger">
        <source></source>
        <translation>Start trigger</translation>
    </message>
    <message id="RecorderConfig_stopTrigger">
        <source></source>
        <translation>Stop trigger</translation>
    </message>
    <message id="RecorderConfig_addToRecent">
        <source></source>
        <translation>Add to recent files</translation>
    </message>
    <message id="RecorderConfig_preBufferEnable">
        <source></source>
        <translation>Record before start</translation>
    </message>
    <message id="RecorderConfig_preBuffer">
        <source></source>
        <translation>Pre-trigger (s)</translation>
    </message>
    <message id="RecorderConfig_postBufferEnable">
        <source></source>
        <translation>Record after stop</translation>
    </message>
    <message id="RecorderConfig_postBuffer">
        <source></source>
        <translation>Post-trigger (s)</translation>
    </message>
    <message id="RecorderConfig_autoDelayStopBuffer">
        <source></source>
        <translation>Stop delay (s)</translation>
    </message>
    <message id="RecorderConfig_fnPrefixEnable">
        <source></source>
        <translation>Prefix in file name</translation>
    </message>
    <message id="RecorderConfig_fnPrefix">
        <source></source>
        <translation>Prefix</translation>
    </message>
    <message id="RecorderConfig_fnCountEnable">
        <source></source>
        <translation>Number in file name</translation>
    </message>
    <message id="RecorderConfig_fnCount">
        <source></source>
        <translation>Next number</translation>
    </message>
    <message id="RecorderConfig_fnCountLen">
        <source></source>
        <translation>Digits</translation>
    </message>
    <message id="RecorderConfig_fnCameraIdentity">
        <source></source>
        <translation>Camera name in file name</translation>
    </message>
    <message id="RecorderConfig_fnDateTime">
        <source></source>
        <translation>Date and time in file name</translation>
    </message>
    <message id="RecorderConfig_fnSuffixEnable">
        <source></source>
        <translation>Suffix in file name</translation>
    </message>
    <message id="RecorderConfig_fnSuffix">
        <source></source>
        <translation>Suffix</translation>
    </message>
    <message id="ConfigTabLayout">
        <source></source>
        <translation>Tab layout</translation>
    </message>
    <message id="ConfigTabName">
        <source></source>
        <translation>Rename tab</translation>
    </message>
    <message id="ExportIr_WithTemp">
        <source></source>
        <translation>With temperatures</translation>
    </message>
    <message id="ExportIr_WithRoi">
        <source></source>
        <translation>With measurements</translation>
    </message>
    <message id="ExportIr_Colorbar">
        <source></source>
        <translation>With colour bar</translation>
    </message>
    <message id="ExportIr_StreamBegin">
        <source></source>
        <translation>First frame</translation>
    </message>
    <message id="ExportIr_StreamEnd">
        <source></source>
        <translation>Last frame</translation>
    </message>
    <message id="ExportIr_StreamInterval">
        <source></source>
        <translation>Frame step</translation>
    </message>
    <message id="Visible_On">
        <source></source>
        <translation>Shown</translation>
    </message>
    <message id="Visible_Off">
        <source></source>
        <translation>Hidden</translation>
    </message>
    <message id="Delete">
        <source></source>
        <translation>Delete</translation>
    </message>
    <message id="IRImage">
        <source></source>
        <translation>Image settings</translation>
    </message>
    <message id="IRImage_StrechType">
        <source></source>
        <translation>Contrast stretch</translation>
    </message>
    <message id="IRImage_Gain">
        <source></source>
        <translation>Gain</translation>
    </message>
    <message id="IRImage_Temp2Gray">
        <source></source>
        <translation>Temp. to grey</translation>
    </message>
    <message id="IRImage_DDELevel">
        <source></source>
        <translation>Detail boost</translation>
    </message>
    <message id="IRImage_Denoise">
        <source></source>
        <translation>Noise filter</translation>
    </message>
    <message id="IRImage_SmallTarget_BG">
        <source></source>
        <translation>Background level</translation>
    </message>
    <message id="IRImage_CT">
        <source></source>
        <translation>Colour alarm</translation>
    </message>
    <message id="IRImage_CTType">
        <source></source>
        <translation>Mode</translation>
    </message>
    <message id="IRImage_CTTemp0">
        <source></source>
        <translation>Temperature 1</translation>
    </message>
    <message id="IRImage_CTTemp1">
        <source></source>
        <translation>Temperature 2</translation>
    </message>
    <message id="IRImage_CTColor0">
        <source></source>
        <translation>Colour 1</translation>
    </message>
    <message id="IRImage_CTColor1">
        <source></source>
        <translation>Colour 2</translation>
    </message>
    <message id="Apply">
        <source></source>
        <translation>Apply</translation>
    </message>
    <message id="IRImage_MT">
        <source></source>
        <translation>Manual range</translation>
    </message>
    <message id="IRImage_MTEnable">
        <source></source>
        <translation>Enabled</translation>
    </message>
    <message id="IRImage_MTTemp0">
        <source></source>
        <translation>Lowest temp.</translation>
    </message>
    <message id="IRImage_MTTemp1">
        <source></source>
        <translation>Highest temp.</translation>
    </message>
    <message id="IRImage_Palette">
        <source></source>
        <translation>Palette</translation>
    </message>
    <message id="Files">
        <source></source>
        <translation>Files</translation>
    </message>
    <message id="Workspaces">
        <source></source>
        <translation>Workspaces</translation>
    </message>
    <message id="NewWorkspace">
        <source></source>
        <translation>New workspace</translation>
    </message>
    <message id="ShowFiles">
        <source></source>
        <translation>Files</translation>
    </message>
    <message id="Devices">
        <source></source>
        <translation>Cameras</translation>
    </message>
    <message id="ScanDevices">
        <source></source>
        <translation>Search cameras</translation>
    </message>
    <message id="SaveWorkspaceAs">
        <source></source>
        <translation>Save workspace as</translation>
    </message>
    <message id="ShowDevices">
        <source></source>
        <translation>Cameras</translation>
    </message>
    <message id="Exit">
        <source></source>
        <translation>Exit</translation>
    </message>
    <message id="Show">
        <source></source>
        <translation>Show</translation>
    </message>
    <message id="Close">
        <source></source>
        <translation>Close</translation>
    </message>
    <message id="CloseAllFiles">
        <source></source>
        <translation>Close all files</translation>
    </message>
    <message id="Connect">
        <source></source>
        <translation>Connect</translation>
    </message>
    <message id="Disconnect">
        <source></source>
        <translation>Disconnect</translation>
    </message>
    <message id="192.168.1.201">
        <source></source>
        <translation>192.168.1.201</translation>
    </message>
    <message id="ManualCreate">
        <source></source>
        <translation>Add</translation>
    </message>
    <message id="Update">
        <source></source>
        <translation>Updates</translation>
    </message>
    <message id="UserManual">
        <source></source>
        <translation>User manual</translation>
    </message>
    <message id="More">
        <source></source>
        <translation>More</translation>
    </message>
    <message id="Open">
        <source></source>
        <translation>Open</translation>
    </message>
    <message id="Place">
        <source></source>
        <translation>Place here</translation>
    </message>
    <message id="Merge">
        <source></source>
        <translation>Merge</translation>
    </message>
    <message id="Frame">
        <source></source>
        <translation>Frame</translation>
    </message>
    <message id="Column">
        <source></source>
        <translation>Column</translation>
    </message>
    <message id="Temp">
        <source></source>
        <translation>Temperature</translation>
    </message>
    <message id="Row">
        <source></source>
        <translation>Row</translation>
    </message>
    <message id="Pixel">
        <source></source>
        <translation>Pixel</translation>
    </message>
    <message id="AutoXY">
        <source></source>
        <translation>Fit both axes</translation>
    </message>
    <message id="Config">
        <source></source>
        <translation>Settings</translation>
    </message>
    <message id="Clear">
        <source></source>
        <translation>Clear</translation>
    </message>
    <message id="Build">
        <source></source>
        <translation>Build chart</translation>
    </message>
    <message id="Reconnecting">
        <source></source>
        <translation>Reconnecting…</translation>
    </message>
    <message id="Play">
        <source></source>
        <translation>Play</translation>
    </message>
    <message id="Pause">
        <source></source>
        <translation>Pause</translation>
    </message>
    <message id="RecordEnd">
        <source></source>
        <translation>Stop recording</translation>
    </message>
    <message id="RecordBegin">
        <source></source>
        <translation>Start recording</translation>
    </message>
    <message id="Snap">
        <source></source>
        <translation>Snapshot</translation>
    </message>
    <message id="FFC">
        <source></source>
        <translation>FFC</translation>
    </message>
    <message id="Recorder">
        <source></source>
        <translation>Recorder</translation>
    </message>
    <message id="PTZ">
        <source></source>
        <translation>Pan/tilt/zoom</translation>
    </message>
    <message id="GearLevel">
        <source></source>
        <translation>Zoom level</translation>
    </message>
    <message id="GotoFirstFrame">
        <source></source>
        <translation>First frame</translation>
    </message>
    <message id="BackwardFast">
        <source></source>
        <translation>Fast backward</translation>
    </message>
    <message id="Backward">
        <source></source>
        <translation>Step back</translation>
    </message>
    <message id="Stop">
        <source></source>
        <translation>Stop</translation>
    </message>
    <message id="Forward">
        <source></source>
        <translation>Step forward</translation>
    </message>
    <message id="ForwardFast">
        <source></source>
        <translation>Fast forward</translation>
    </message>
    <message id="GotoLastFrame">
        <source></source>
        <translation>Last frame</translation>
    </message>
    <message id="PreviousFrame">
        <source></source>
        <translation>Previous frame</translation>
    </message>
    <message id="NextFrame">
        <source></source>
        <translation>Next frame</translation>
    </message>
    <message id="SetLight">
        <source></source>
        <translation>Set light</translation>
    </message>
    <message id="Get">
        <source></source>
        <translation>Get</translation>
    </message>
    <message id="Set">
        <source></source>
        <translation>Set</translation>
    </message>
    <message id="FocusMF">
        <source></source>
        <translation>Manual focus</translation>
    </message>
    <message id="FocusDeltaNear">
        <source></source>
        <translation>Focus near step</translation>
    </message>
    <message id="FocusDeltaFar">
        <source></source>
        <translation>Focus far step</translation>
    </message>
    <message id="FocusContiNear">
        <source></source>
        <translation>Focus near (hold)</translation>
    </message>
    <message id="FocusContiStop">
        <source></source>
        <translation>Stop focusing</translation>
    </message>
    <message id="FocusContiFar">
        <source></source>
        <translation>Focus far (hold)</translation>
    </message>
    <message id="FocusAF">
        <source></source>
        <translation>Auto focus</translation>
    </message>
    <message id="FocusXF">
        <source></source>
        <translation>Focus position</translation>
    </message>
    <message id="FilterIR">
        <source></source>
        <translation>IR filter</translation>
    </message>
    <message id="Reset">
        <source></source>
        <translation>Reset</translation>
    </message>
    <message id="InputBase_inputTypeName">
        <source></source>
        <translation>Source type</translation>
    </message>
    <message id="InputBase_capturedDate">
        <source></source>
        <translation>Date taken</translation>
    </message>
    <message id="InputBase_capturedTime">
        <source></source>
        <translation>Time taken</translation>
    </message>
    <message id="InputBase_dataSize">
        <source></source>
        <translation>Image size</translation>
    </message>
    <message id="InputBase_cameraModel">
        <source></source>
        <translation>Camera model</translation>
    </message>
    <message id="InputBase_cameraSerial">
        <source></source>
        <translation>Serial number</translation>
    </message>
    <message id="InputBase_lensName">
        <source></source>
        <translation>Lens</translation>
    </message>
    <message id="InputBase_tempRange">
        <source></source>
        <translation>Temp. range</translation>
    </message>
    <message id="InputBase_shellTemp">
        <source></source>
        <translation>Housing temp.</translation>
    </message>
    <message id="CopyToClipboardAsImage">
        <source></source>
        <translation>Copy as image</translation>
    </message>
    <message id="Name">
        <source></source>
        <translation>Name</translation>
    </message>
    <message id="Avg">
        <source></source>
        <translation>Avg</translation>
    </message>
    <message id="Max">
        <source></source>
        <translation>Max</translation>
    </message>
    <message id="Min">
        <source></source>
        <translation>Min</translation>
    </message>
    <message id="Recorder_fnShort">
        <source></source>
        <translation>File</translation>
    </message>
    <message id="Recorder_beginTime">
        <source></source>
        <translation>Start</translation>
    </message>
    <message id="Recorder_endTime">
        <source></source>
        <translation>End</translation>
    </message>
    <message id="Recorder_duration">
        <source></source>
        <translation>Duration</translation>
    </message>
    <message id="Recorder_frameCount">
        <source></source>
        <translation>Frames</translation>
    </message>
    <message id="Recorder_streamSize">
        <source></source>
        <translation>Size</translation>
    </message>
    <message id="Storage_Free">
        <source></source>
        <translation>Free</translation>
    </message>
    <message id="Storage_Total">
        <source></source>
        <translation>Total</translation>
    </message>
    <message id="Current">
        <source></source>
        <translation>Current</translation>
    </message>
    <message id="Previous">
        <source></source>
        <translation>Previous</translation>
    </message>
    <message id="MoreColors">
        <source></source>
        <translation>More colours…</translation>
    </message>
    <message id="ValueRange">
        <source></source>
        <translation>Range:</translation>
    </message>
    <message id="ValueNotNull">
        <source></source>
        <translation>Must not be empty.</translation>
    </message>
    <message id="SelectColor">
        <source></source>
        <translation>Choose colour</translation>
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
        <translation>Histogram</translation>
    </message>
    <message id="StrechType_LINEAR">
        <source></source>
        <translation>Linear</translation>
    </message>
    <message id="StrechType_PHE2023">
        <source></source>
        <translation>Histogram plus</translation>
    </message>
    <message id="StrechType_SmallTarget">
        <source></source>
        <translation>Small targets</translation>
    </message>
    <message id="ColorTempType_None">
        <source></source>
        <translation>Off</translation>
    </message>
    <message id="ColorTempType_High">
        <source></source>
        <translation>Above</translation>
    </message>
    <message id="ColorTempType_Low">
        <source></source>
        <translation>Below</translation>
    </message>
    <message id="ColorTempType_Mid">
        <source></source>
        <translation>Between</translation>
    </message>
    <message id="ColorTempType_ExMid">
        <source></source>
        <translation>Outside band</translation>
    </message>
    <message id="TextPos_None">
        <source></source>
        <translation>Hidden</translation>
    </message>
    <message id="TextPos_TopLeft">
        <source></source>
        <translation>Top left</translation>
    </message>
    <message id="TextPos_TopRight">
        <source></source>
        <translation>Top right</translation>
    </message>
    <message id="TextPos_BottomLeft">
        <source></source>
        <translation>Bottom left</translation>
    </message>
    <message id="TextPos_BottomRight">
        <source></source>
        <translation>Bottom right</translation>
    </message>
    <message id="SaveMode_Ask">
        <source></source>
        <translation>Ask</translation>
    </message>
    <message id="SaveMode_Always">
        <source></source>
        <translation>Always</translation>
    </message>
    <message id="SaveMode_Never">
        <source></source>
        <translation>Never</translation>
    </message>
    <message id="EOverlayType_None">
        <source></source>
        <translation>None</translation>
    </message>
    <message id="EOverlayType_Inside">
        <source></source>
        <translation>Inside image</translation>
    </message>
    <message id="EOverlayType_Outside">
        <source></source>
        <translation>Beside image</translation>
    </message>
    <message id="EGearLevel_Auto">
        <source></source>
        <translation>Auto</translation>
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
        <translation>Select</translation>
    </message>
    <message id="MeaTool_Point1x1">
        <source></source>
        <translation>Spot</translation>
    </message>
    <message id="MeaTool_Point1x1Desc">
        <source></source>
        <translation>Spot: one pixel</translation>
    </message>
    <message id="MeaTool_Point3x3">
        <source></source>
        <translation>Spot 3x3</translation>
    </message>
    <message id="MeaTool_Point3x3Desc">
        <source></source>
        <translation>Spot: mean of 3x3 pixels</translation>
    </message>
    <message id="MeaTool_PointCross">
        <source></source>
        <translation>Cross spot</translation>
    </message>
    <message id="MeaTool_PointCrossDesc">
        <source></source>
        <translation>Spot shown as a cross</translation>
    </message>
    <message id="MeaTool_Line">
        <source></source>
        <translation>Line</translation>
    </message>
    <message id="MeaTool_LineDesc">
        <source></source>
        <translation>Line: drag from start to end</translation>
    </message>
    <message id="MeaTool_Polyline">
        <source></source>
        <translation>Polyline</translation>
    </message>
    <message id="MeaTool_PolylineDesc">
        <source></source>
        <translation>Polyline: click the points, double-click to end</translation>
    </message>
    <message id="MeaTool_Ellipse">
        <source></source>
        <translation>Ellipse</translation>
    </message>
    <message id="MeaTool_EllipseDesc">
        <source></source>
        <translation>Ellipse: drag its bounding box</translation>
    </message>
    <message id="MeaTool_Circle">
        <source></source>
        <translation>Circle</translation>
    </message>
    <message id="MeaTool_CircleDesc">
        <source></source>
        <translation>Circle: drag from the centre</translation>
    </message>
    <message id="MeaTool_Custom">
        <source></source>
        <translation>Freehand</translation>
    </message>
    <message id="MeaTool_CustomDesc">
        <source></source>
        <translation>Freehand area: draw its outline</translation>
    </message>
    <message id="MeaTool_Rectangle">
        <source></source>
        <translation>Rectangle</translation>
    </message>
    <message id="MeaTool_RectangleDesc">
        <source></source>
        <translation>Rectangle: drag corner to corner</translation>
    </message>
    <message id="MeaTool_Square">
        <source></source>
        <translation>Square</translation>
    </message>
    <message id="MeaTool_SquareDesc">
        <source></source>
        <translation>Square: drag from a corner</translation>
    </message>
    <message id="MeaTool_Polygon">
        <source></source>
        <translation>Polygon</translation>
    </message>
    <message id="MeaTool_PolygonDesc">
        <source></source>
        <translation>Polygon: click the corners, double-click to close</translation>
    </message>
    <message id="MeaTool_EditPoint">
        <source></source>
        <translation>Edit points</translation>
    </message>
    <message id="MeaTool_EditPointDesc">
        <source></source>
        <translation>Add or remove corner points</translation>
    </message>
    <message id="MeaTool_Hide">
        <source></source>
        <translation>Hide</translation>
    </message>
    <message id="MeaTool_HideDesc">
        <source></source>
        <translation>Show or hide the measurements</translation>
    </message>
    <message id="Stats_Min">
        <source></source>
        <translation>Min</translation>
    </message>
    <message id="Stats_Max">
        <source></source>
        <translation>Max</translation>
    </message>
    <message id="Stats_Mean">
        <source></source>
        <translation>Mean</translation>
    </message>
    <message id="Stats_Sum">
        <source></source>
        <translation>Sum</translation>
    </message>
    <message id="Stats_Std">
        <source></source>
        <translation>Std dev</translation>
    </message>
    <message id="ERecorderTrigger_ManualStart">
        <source></source>
        <translation>Manual start</translation>
    </message>
    <message id="ERecorderTrigger_CameraTagStart">
        <source></source>
        <translation>Camera tag start</translation>
    </message>
    <message id="ERecorderTrigger_ManualStop">
        <source></source>
        <translation>Manual stop</translation>
    </message>
    <message id="ERecorderTrigger_CameraTagStop">
        <source></source>
        <translation>Camera tag stop</translation>
    </message>
    <message id="ERecorderTrigger_AutoDelayStop">
        <source></source>
        <translation>Stop after delay</translation>
    </message>
    <message id="Preset">
        <source></source>
        <translation>Preset</translation>
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
    <message id="Success">
        <source></source>
        <translation>Done</translation>
    </message>
    <message id="Fail">
        <source></source>
        <translation>Fail</translation>
    </message>
    <message id="Building">
        <source></source>
        <translation>Building…</translation>
    </message>
    <message id="BuildNeedsStream">
        <source></source>
        <translation>Build needs a recorded stream; a live chart cannot be built</translation>
    </message>
</context>
</TS>
