#pragma once
// Key codes of InputEvent.key. A key that types a character reports the character
// (code page 437, 1 to 255); any other key reports 1000 + its PC scan code, and
// Shift adds another 1000. The scan code comes from the column of the first
// modifier that applies: Alt, else Ctrl, else Shift, else none; so Shift-F1 is
// 1000 + 84 + 1000 = 2084 and Shift-Ctrl-Left is 1000 + 115 + 1000 = 2115.
// These codes are binding for every window of the program; the terminal's
// input parser (platform/InputParser.h) produces them.

// Characters.
constexpr int kKeyBackspace = 8;
constexpr int kKeyTab = 9;
constexpr int kKeyEnter = 13;
constexpr int kKeyEsc = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyCtrlMinus = 31;
constexpr int kKeyCtrlBackspace = 127;
// Ctrl-A to Ctrl-Z are 1 to 26.
constexpr int kKeyCtrlA = 1;
constexpr int kKeyCtrlB = 2;
constexpr int kKeyCtrlC = 3;
constexpr int kKeyCtrlD = 4;
constexpr int kKeyCtrlE = 5;
constexpr int kKeyCtrlF = 6;
constexpr int kKeyCtrlG = 7;
constexpr int kKeyCtrlH = 8;
constexpr int kKeyCtrlI = 9;
constexpr int kKeyCtrlJ = 10;
constexpr int kKeyCtrlK = 11;
constexpr int kKeyCtrlL = 12;
constexpr int kKeyCtrlM = 13;
constexpr int kKeyCtrlN = 14;
constexpr int kKeyCtrlO = 15;
constexpr int kKeyCtrlP = 16;
constexpr int kKeyCtrlQ = 17;
constexpr int kKeyCtrlR = 18;
constexpr int kKeyCtrlS = 19;
constexpr int kKeyCtrlT = 20;
constexpr int kKeyCtrlU = 21;
constexpr int kKeyCtrlV = 22;
constexpr int kKeyCtrlW = 23;
constexpr int kKeyCtrlX = 24;
constexpr int kKeyCtrlY = 25;
constexpr int kKeyCtrlZ = 26;

// Keys without a character.
constexpr int kKeyShiftTab = 2015;
constexpr int kKeyAltBackspace = 1014;
constexpr int kKeyF1 = 1059, kKeyShiftF1 = 2084, kKeyCtrlF1 = 1094, kKeyAltF1 = 1104;
constexpr int kKeyF2 = 1060, kKeyShiftF2 = 2085, kKeyCtrlF2 = 1095, kKeyAltF2 = 1105;
constexpr int kKeyF3 = 1061, kKeyShiftF3 = 2086, kKeyCtrlF3 = 1096, kKeyAltF3 = 1106;
constexpr int kKeyF4 = 1062, kKeyShiftF4 = 2087, kKeyCtrlF4 = 1097, kKeyAltF4 = 1107;
constexpr int kKeyF5 = 1063, kKeyShiftF5 = 2088, kKeyCtrlF5 = 1098, kKeyAltF5 = 1108;
constexpr int kKeyF6 = 1064, kKeyShiftF6 = 2089, kKeyCtrlF6 = 1099, kKeyAltF6 = 1109;
constexpr int kKeyF7 = 1065, kKeyShiftF7 = 2090, kKeyCtrlF7 = 1100, kKeyAltF7 = 1110;
constexpr int kKeyF8 = 1066, kKeyShiftF8 = 2091, kKeyCtrlF8 = 1101, kKeyAltF8 = 1111;
constexpr int kKeyF9 = 1067, kKeyShiftF9 = 2092, kKeyCtrlF9 = 1102, kKeyAltF9 = 1112;
constexpr int kKeyF10 = 1068, kKeyShiftF10 = 2093, kKeyCtrlF10 = 1103, kKeyAltF10 = 1113;
constexpr int kKeyF11 = 1133, kKeyShiftF11 = 2135, kKeyCtrlF11 = 1137, kKeyAltF11 = 1139;
constexpr int kKeyF12 = 1134, kKeyShiftF12 = 2136, kKeyCtrlF12 = 1138, kKeyAltF12 = 1140;
constexpr int kKeyHome = 1071, kKeyShiftHome = 2071, kKeyCtrlHome = 1119, kKeyShiftCtrlHome = 2119;
constexpr int kKeyUp = 1072, kKeyShiftUp = 2072, kKeyCtrlUp = 1141, kKeyShiftCtrlUp = 2141, kKeyAltUp = 1152;
constexpr int kKeyPageUp = 1073, kKeyShiftPageUp = 2073, kKeyCtrlPageUp = 1132, kKeyShiftCtrlPageUp = 2132;
constexpr int kKeyLeft = 1075, kKeyShiftLeft = 2075, kKeyCtrlLeft = 1115, kKeyShiftCtrlLeft = 2115, kKeyAltLeft = 1155;
constexpr int kKeyRight = 1077, kKeyShiftRight = 2077, kKeyCtrlRight = 1116, kKeyShiftCtrlRight = 2116, kKeyAltRight = 1157;
constexpr int kKeyEnd = 1079, kKeyShiftEnd = 2079, kKeyCtrlEnd = 1117, kKeyShiftCtrlEnd = 2117;
constexpr int kKeyDown = 1080, kKeyShiftDown = 2080, kKeyCtrlDown = 1145, kKeyShiftCtrlDown = 2145, kKeyAltDown = 1160;
constexpr int kKeyPageDown = 1081, kKeyShiftPageDown = 2081, kKeyCtrlPageDown = 1118, kKeyShiftCtrlPageDown = 2118;
constexpr int kKeyInsert = 1082, kKeyShiftInsert = 2082, kKeyCtrlInsert = 1146, kKeyShiftCtrlInsert = 2146;
constexpr int kKeyDelete = 1083, kKeyShiftDelete = 2083, kKeyCtrlDelete = 1147, kKeyShiftCtrlDelete = 2147;
constexpr int kKeyCentre = 1076, kKeyShiftCentre = 2076, kKeyCtrlCentre = 1143, kKeyShiftCtrlCentre = 2143;

// Alt with a character key: 1000 + the key's scan code (Alt-Shift adds 1000).
constexpr int kKeyAltA = 1030;
constexpr int kKeyAltB = 1048;
constexpr int kKeyAltC = 1046;
constexpr int kKeyAltD = 1032;
constexpr int kKeyAltE = 1018;
constexpr int kKeyAltF = 1033;
constexpr int kKeyAltG = 1034;
constexpr int kKeyAltH = 1035;
constexpr int kKeyAltI = 1023;
constexpr int kKeyAltJ = 1036;
constexpr int kKeyAltK = 1037;
constexpr int kKeyAltL = 1038;
constexpr int kKeyAltM = 1050;
constexpr int kKeyAltN = 1049;
constexpr int kKeyAltO = 1024;
constexpr int kKeyAltP = 1025;
constexpr int kKeyAltQ = 1016;
constexpr int kKeyAltR = 1019;
constexpr int kKeyAltS = 1031;
constexpr int kKeyAltT = 1020;
constexpr int kKeyAltU = 1022;
constexpr int kKeyAltV = 1047;
constexpr int kKeyAltW = 1017;
constexpr int kKeyAltX = 1045;
constexpr int kKeyAltY = 1021;
constexpr int kKeyAltZ = 1044;
constexpr int kKeyAlt1 = 1002;
constexpr int kKeyAlt2 = 1003;
constexpr int kKeyAlt3 = 1004;
constexpr int kKeyAlt4 = 1005;
constexpr int kKeyAlt5 = 1006;
constexpr int kKeyAlt6 = 1007;
constexpr int kKeyAlt7 = 1008;
constexpr int kKeyAlt8 = 1009;
constexpr int kKeyAlt9 = 1010;
constexpr int kKeyAlt0 = 1011;
constexpr int kKeyAltMinus = 1012;
constexpr int kKeyAltEquals = 1013;

// Added to a key code when Shift is held with a key that has no character.
constexpr int kKeyShiftOffset = 1000;
// Key codes from this value up name keys without a character: this value plus
// the key's scan code.
constexpr int kKeyExtendedBase = 1000;
// The scan codes the parser combines with kKeyExtendedBase for Alt-Backspace
// and Shift-Tab (Shift-Tab keeps its code with or without Alt).
constexpr int kScanBackspace = 14;
constexpr int kScanTab = 15;
