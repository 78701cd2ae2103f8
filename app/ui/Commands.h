#pragma once
// Command ids of the menus, the toolbar and the accelerators. The framework's commands keep the numbers
// the program has always used for them; the program's own commands start at 32800.

namespace cmd {
// File
constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileClose = 57602;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int FilePrintSetup = 57606;
constexpr int FilePrint = 57607;
constexpr int FilePrintPreview = 57608;
constexpr int FileMru1 = 57616; // the four recent files are FileMru1 .. FileMru1 + 3
constexpr int FileMruCount = 4;
// Edit
constexpr int EditCopy = 57634;
constexpr int EditCut = 57635;
constexpr int EditPaste = 57637;
constexpr int EditUndo = 57643;
// Window
constexpr int WindowArrange = 57649;
constexpr int WindowCascade = 57650;
constexpr int WindowTile = 57651;
// Application and help
constexpr int AppAbout = 57664;
constexpr int AppExit = 57665;
constexpr int HelpIndex = 57666;
constexpr int HelpUsing = 57667;
constexpr int ContextHelp = 57668;
constexpr int Help = 57669;
constexpr int NextPane = 57680;
constexpr int PrevPane = 57681;
// View
constexpr int ViewToolbar = 59392;
constexpr int ViewStatusBar = 59393;
// Status bar panes
constexpr int PaneProgress = 353;
constexpr int IndicatorCaps = 59137;
constexpr int IndicatorNum = 59138;
constexpr int IndicatorScroll = 59139;
// The program's own commands
constexpr int Preview = 32800;
constexpr int Raw = 32801;
constexpr int Final = 32802;
constexpr int DemConversion = 32803;
constexpr int ElevationToColor = 32804;
constexpr int GrayToElevation = 32806;
constexpr int SurfaceInterpolation = 32807;
constexpr int EliminateRed = 32808;
constexpr int Convolution = 32809;
constexpr int Merge = 32810;
constexpr int Mask = 32811;
constexpr int ElevationToGray = 32812;
constexpr int Resample = 32813;
constexpr int Apply = 32814;
constexpr int Rectify = 32815;
constexpr int StopRendering = 32816;
constexpr int Options = 32817;
constexpr int FirstToLast = 32818;
constexpr int LastToFirst = 32819;
// Zoom of image and rendering windows
constexpr int ZoomIn = 32840;
constexpr int ZoomOut = 32841;
constexpr int ZoomActualSize = 32842;
constexpr int ZoomToFit = 32843;
// Added later; numbered apart from the commands above.
constexpr int ImportElevation = 32844; // File: a terrain from an elevation raster (GDAL)
constexpr int RenderVideo = 32845;     // a scene's frames straight into a video file (FFmpeg)

// The tool commands in the order of every Calculate menu.
constexpr int toolCommands[] = {DemConversion,
                                ElevationToColor,
                                EliminateRed,
                                GrayToElevation,
                                ElevationToGray,
                                SurfaceInterpolation,
                                Convolution,
                                Merge,
                                Mask,
                                Resample,
                                Rectify};
} // namespace cmd

// Help topic bases.
namespace help {
constexpr int ControlBase = 0x10000; // + id of the focused control
constexpr int DialogBase = 0x20000;  // + template id of the dialog (its Help button)
constexpr int ImageView = 0x20066;
} // namespace help
