// The names of every resource id: commands, softkey bars and their menus, strings, dialogs
// and their controls, icons, bitmaps and the WAVE sound. Code outside the resources uses
// these names, never the numbers.
//
// Prefixes: kCmd command (WM_COMMAND id), kBar softkey bar with its menus, kStr string,
// kDlg dialog template, kCtl control of a dialog, kIcon icon, kBmp bitmap, kWave sound.
#pragma once

// ---- commands ----
constexpr int kCmdOk = 40001;
constexpr int kCmdCancel = 40002;
constexpr int kCmdLeftSoftkey = 40006;    // the left softkey when it opens a popup
constexpr int kCmdThumbnailView = 40007;  // kCmdThumbnailView + ViewMode for each view mode
constexpr int kCmdImageView = 40008;
constexpr int kCmdTreeView = 40009;
constexpr int kCmdSlideShow = 40010;
constexpr int kCmdExit = 40011;
constexpr int kCmdRightSoftkey = 40012;  // the right softkey when it opens a popup
constexpr int kCmdIcons2x2 = 40013;      // kCmdIcons2x2 + thumbnail layout
constexpr int kCmdIcons3x3 = 40014;
constexpr int kCmdIcons4x4 = 40015;
constexpr int kCmdSortByName = 40016;  // kCmdSortByName + sort key
constexpr int kCmdSortByTime = 40017;
constexpr int kCmdSortBySize = 40018;
constexpr int kCmdRefresh = 40020;
constexpr int kCmdProperties = 40021;
constexpr int kCmdDelete = 40022;
constexpr int kCmdHomeScreenCenter = 40023;
constexpr int kCmdHomeScreenFit = 40024;
constexpr int kCmdHomeScreenTile = 40025;
constexpr int kCmdHomeScreenDefault = 40026;
constexpr int kCmdRotateOriginal = 40027;
constexpr int kCmdRotateLeft = 40028;
constexpr int kCmdRotateRight = 40029;
constexpr int kCmdActualSize = 40036;
constexpr int kCmdSystemInfo = 40038;
constexpr int kCmdGeneralOptions = 40039;
constexpr int kCmdFullScreen = 40040;
constexpr int kCmdZoomIn = 40041;
constexpr int kCmdZoomOut = 40042;
constexpr int kCmdSlideShowOptions = 40043;
constexpr int kCmdAddFavorite = 40044;
constexpr int kCmdEditFavorites = 40045;
constexpr int kCmdHomeFolder = 40046;
constexpr int kCmdRecordSound = 40047;
constexpr int kCmdPlaySound = 40048;
constexpr int kCmdDeleteSound = 40049;
constexpr int kCmdSendMail = 40050;
constexpr int kCmdSendInfrared = 40051;
constexpr int kCmdMoveUp = 40055;
constexpr int kCmdMoveDown = 40056;
constexpr int kCmdRename = 40057;
constexpr int kCmdSetHomeFolder = 40059;
constexpr int kCmdAbout = 40060;
constexpr int kCmdHelp = 40062;
constexpr int kCmdFirstFavorite = 10001;  // the favourites of "Select Folder", in order

// ---- softkey bars (each with the menu its softkeys open) ----
constexpr int kBarBrowse = 4001;    // "Menu" / "Action" of the thumbnail view
constexpr int kBarOkCancel = 4002;  // "OK" / "Cancel"
constexpr int kBarOk = 4003;        // a lone "OK"
constexpr int kBarImage = 4004;     // "Menu" / "Action" of the image view
constexpr int kBarDoneMenu = 4006;  // "Done" / "Menu"
constexpr int kBarCancel = 4008;    // a lone "Cancel"

// ---- strings ----
constexpr int kStrProgramName = 102;
constexpr int kStrCancel = 105;
constexpr int kStrSmartphone = 106;  // the root of the folder tree
constexpr int kStrMainSection = 107;
constexpr int kStrHomeDirectory = 108;
constexpr int kStrWorkDirectory = 109;
constexpr int kStrOrientation = 110;
constexpr int kStrSlideOrientation = 111;
constexpr int kStrShowFileName = 112;
constexpr int kStrThumbMaxView = 113;
constexpr int kStrThumbnailLayout = 115;
constexpr int kStrOk = 117;
constexpr int kStrHomeScreenSet = 118;
constexpr int kStrHomeScreenRestored = 119;
constexpr int kStrAction = 121;
constexpr int kStrOptimizedMemory = 123;
constexpr int kStrSlideSection = 124;
constexpr int kStrEffect = 125;
constexpr int kStrSpeed = 126;
constexpr int kStrDelay = 127;
constexpr int kStrTransformKey = 128;
constexpr int kStrRepeat = 129;
constexpr int kStrRandomEffect = 131;
constexpr int kStrShadowColor = 132;
constexpr int kStrSetShadow = 133;
constexpr int kStrOutOfMemory = 135;
constexpr int kStrLoadFitScreen = 136;  // the three load sizes, in order
constexpr int kStrLoadDouble = 137;
constexpr int kStrLoadTriple = 138;
constexpr int kStrSpeedSlow = 139;  // the three transition speeds, in order
constexpr int kStrSpeedMedium = 140;
constexpr int kStrSpeedFast = 141;
constexpr int kStrShowText = 142;
constexpr int kStrSyncDelayTime = 143;  // the three synchronisation modes, in order
constexpr int kStrSyncDirectionKey = 144;
constexpr int kStrSyncWaveFile = 145;
constexpr int kStrPortraitMode = 146;  // the three slide-show orientations, in order
constexpr int kStrRotateRight = 147;
constexpr int kStrRotateLeft = 148;
constexpr int kStrFolderMissing = 149;
constexpr int kStrAskDelete = 150;
constexpr int kStrMyDocuments = 152;
constexpr int kStrRename = 153;
constexpr int kStrName = 154;
constexpr int kStrFolder = 155;
constexpr int kStrAskDeleteSound = 156;
constexpr int kStrAskReplaceSound = 157;
constexpr int kStrAskHome = 158;
constexpr int kStrHomeItem = 159;
constexpr int kStrHomeScreenFailed = 161;
constexpr int kStrEffectDoorClose = 1000;  // the eleven effect names, in effect order
constexpr int kStrEffectDoorOpen = 1001;
constexpr int kStrEffectInterlace = 1002;
constexpr int kStrEffectRectangleIn = 1003;
constexpr int kStrEffectRectangleOut = 1004;
constexpr int kStrEffectTransparent = 1005;
constexpr int kStrEffectWipeDown = 1006;
constexpr int kStrEffectWipeLeft = 1007;
constexpr int kStrEffectWipeRight = 1008;
constexpr int kStrEffectWipeUp = 1009;
constexpr int kStrEffectZoomIn = 1010;
constexpr int kStrIrFinding = 1036;
constexpr int kStrIrFound = 1037;
constexpr int kStrIrConnecting = 1038;
constexpr int kStrIrAboutToSend = 1039;
constexpr int kStrIrProgress = 1040;
constexpr int kStrIrSent = 1041;
// Softkey labels, numbered like the commands they stand beside.
constexpr int kStrLabelOk = 40001;
constexpr int kStrLabelCancel = 40002;
constexpr int kStrLabelMenu = 40005;
constexpr int kStrLabelDelete = 40022;
constexpr int kStrLabelDefault = 40026;
constexpr int kStrLabelAction = 40031;
constexpr int kStrLabelImageMenu = 40035;
constexpr int kStrLabelEditorMenu = 40052;
constexpr int kStrLabelDone = 40054;
constexpr int kStrLabelMoveUp = 40055;
constexpr int kStrLabelMoveDown = 40056;
constexpr int kStrLabelRename = 40057;

// ---- dialogs ----
constexpr int kDlgSendInfrared = 4014;
constexpr int kDlgFolderTree = 7001;
constexpr int kDlgProperties = 7002;
constexpr int kDlgSystemInfo = 7003;
constexpr int kDlgGeneralOptions = 7004;
constexpr int kDlgSlideShowOptions = 7005;
constexpr int kDlgFavoriteName = 7006;
constexpr int kDlgEditFavorites = 7007;
constexpr int kDlgAbout = 7008;

// ---- controls (ids are per dialog; a few numbers serve in two dialogs) ----
constexpr int kCtlPropertiesFocus = 2000;  // properties
constexpr int kCtlPropertiesSize = 2001;
constexpr int kCtlPropertiesWidth = 2002;
constexpr int kCtlPropertiesHeight = 2003;
constexpr int kCtlPropertiesIcon = 2035;
constexpr int kCtlPropertiesName = 2036;
constexpr int kCtlPropertiesSeparator = 2037;
constexpr int kCtlPropertiesFolder = 2038;
constexpr int kCtlTree = 2004;  // folder tree
constexpr int kCtlTreeFolderNames = 2005;
constexpr int kCtlTreeFileNames = 2006;
constexpr int kCtlMemoryTotal = 2007;  // system information
constexpr int kCtlMemoryFree = 2008;
constexpr int kCtlStoreTotal = 2009;
constexpr int kCtlStoreFree = 2010;
constexpr int kCtlCardTotal = 2011;
constexpr int kCtlCardFree = 2012;
constexpr int kCtlMemoryTitle = 2039;
constexpr int kCtlStoreTitle = 2040;
constexpr int kCtlCardTitle = 2041;
constexpr int kCtlMemoryBar = 2042;
constexpr int kCtlStoreBar = 2043;
constexpr int kCtlCardBar = 2044;
constexpr int kCtlLoadLevel = 2013;  // general options
constexpr int kCtlLoadLevelArrows = 2014;
constexpr int kCtlMaxView = 2033;
constexpr int kCtlShowFileName = 2034;
constexpr int kCtlMemoryGroup = 2045;
constexpr int kCtlThumbnailGroup = 2046;
constexpr int kCtlRandomEffect = 2017;  // slide-show options
constexpr int kCtlEffect = 2018;
constexpr int kCtlEffectArrows = 2019;
constexpr int kCtlSpeed = 2020;
constexpr int kCtlSpeedArrows = 2021;
constexpr int kCtlRepeat = 2022;
constexpr int kCtlShowText = 2023;
constexpr int kCtlSync = 2024;
constexpr int kCtlSyncArrows = 2025;
constexpr int kCtlDelay = 2026;
constexpr int kCtlDelayArrows = 2027;
constexpr int kCtlOrientation = 2028;
constexpr int kCtlOrientationArrows = 2029;
constexpr int kCtlTransitionGroup = 2047;
constexpr int kCtlSyncGroup = 2048;
constexpr int kCtlOrientationGroup = 2049;
constexpr int kCtlFavoriteName = 2030;  // favourites
constexpr int kCtlFavoriteFolder = 2031;
constexpr int kCtlFavoritesList = 2032;
constexpr int kCtlIrAlign = 2045;  // send via infrared
constexpr int kCtlIrStatus = 2046;
constexpr int kCtlAboutIcon = 2050;  // about
constexpr int kCtlAboutName = 2051;
constexpr int kCtlAboutVersion = 2052;
constexpr int kCtlAboutLine = 2053;
constexpr int kCtlStatic = -1;  // a label nobody addresses

// ---- icons ----
constexpr int kIconProgram = 5001;
constexpr int kIconFolder = 5002;
constexpr int kIconVoiceNote = 5003;
constexpr int kIconBmp = 5004;
constexpr int kIconGif = 5005;
constexpr int kIconJpeg = 5006;
constexpr int kIconInfrared = 5007;

// ---- bitmaps ----
constexpr int kBmpStorageCard = 4511;
constexpr int kBmpProgramMemory = 4512;
constexpr int kBmpStorageMemory = 4513;
constexpr int kBmpTreeIcons = 6001;
constexpr int kBmpUndecodable = 6002;

// ---- sounds ----
constexpr int kWaveNotify = 4016;
