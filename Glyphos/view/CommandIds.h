// Command identifiers of the editor's menus, tool bars and accelerators. The
// numbers are the ones the editor has always used, so that every part of it
// (frame, view, dialogs) names a command the same way.
#pragma once

namespace cmd {

// File
inline constexpr int FileNew = 57600;
inline constexpr int FileOpen = 57601;
inline constexpr int FileClose = 57602;
inline constexpr int FileSave = 57603;
inline constexpr int FileSaveAs = 57604;
inline constexpr int FilePrintSetup = 57606;
inline constexpr int FilePrint = 57607;
inline constexpr int FilePrintDirect = 57608;
inline constexpr int FilePrintPreview = 57609;
inline constexpr int FileMruFirst = 57616;  // four entries: 57616 .. 57619
inline constexpr int FileMruCount = 4;
inline constexpr int AppExit = 57665;
inline constexpr int FileOpenPsw = 32806;
inline constexpr int FileSaveInPsw = 32801;
inline constexpr int PrintZoomFactor = 32826;
inline constexpr int FileImportFont = 32950;  // BDF / PSF fonts in
inline constexpr int FileExportFont = 32951;  // and out

// Edit
inline constexpr int EditUndo = 57643;
inline constexpr int EditRedo = 57644;
inline constexpr int EditCut = 57635;
inline constexpr int EditCopy = 57634;
inline constexpr int EditPaste = 57637;
inline constexpr int SelectAllPixel = 32800;

// View: bar toggles and the view's mouse activation
inline constexpr int ViewToolBar = 59392;
inline constexpr int ViewStatusBar = 59393;
inline constexpr int ViewDrawTools = 59400;
inline constexpr int ViewPreviewTools = 61490;
inline constexpr int ViewGenericTools = 61491;
inline constexpr int MouseActivateNone = 32827;
inline constexpr int MouseActivateGrid = 32828;
inline constexpr int MouseActivateView = 32829;

// Preview modes
inline constexpr int PreviewNormal = 32784;
inline constexpr int PreviewDoubleWidth = 32781;
inline constexpr int PreviewDoubleHeight = 32782;
inline constexpr int PreviewDoubleBoth = 32783;

// Colors, zoom, font
inline constexpr int GridColor = 32771;
inline constexpr int BorderGridColor = 32772;
inline constexpr int ZoomX2 = 32774;
inline constexpr int ZoomX4 = 32778;
inline constexpr int ZoomMaxResolution = 32780;
inline constexpr int FontProperties = 32779;
inline constexpr int ImportWindowsFont = 32803;
inline constexpr int CorrectiveFontPosition = 32805;

// Window
inline constexpr int WindowNew = 57648;
inline constexpr int WindowArrange = 57649;
inline constexpr int WindowCascade = 57650;
inline constexpr int WindowTile = 57651;
inline constexpr int NextPane = 57680;
inline constexpr int PrevPane = 57681;

// Help
inline constexpr int HtmlHelp = 32820;
inline constexpr int AppAbout = 57664;
inline constexpr int WebLink = 32824;

// Hidden: the table generator behind a password
inline constexpr int TableGenerator = 32802;

// Character navigation (tool bar)
inline constexpr int NextChar = 32796;
inline constexpr int PrevChar = 32797;
inline constexpr int FirstChar = 32798;
inline constexpr int LastChar = 32799;

// Draw palette
inline constexpr int ToolEraser = 32808;
inline constexpr int ToolPen = 32809;
inline constexpr int ToolSelect = 32810;
inline constexpr int ToolBrush = 32811;
inline constexpr int ToolPointer = 61449;

// Actions palette and tool sizes
inline constexpr int RefreshView = 32788;
inline constexpr int ClearPixel = 32789;
inline constexpr int ToolSize2 = 32790;
inline constexpr int ToolSize3 = 32791;
inline constexpr int ToolSize5 = 32792;
inline constexpr int ToolSize7 = 32793;
inline constexpr int ToolSizeUser = 32794;

}  // namespace cmd
