// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The member catalogue: one table per published type, checked row by row against the
// type library. Everything else in the link server is driven from here.
#include "MemberCatalogue.h"

#include <algorithm>
#include <array>

namespace tethra::catalogue {
namespace {

constexpr Member property(std::string_view name, std::uint32_t dispid, Type type, int let, int get,
                          std::string_view help, int textWidth = 0)
{
    return {name, Kind::Property, dispid, type, textWidth, let, get, 0, {}, {}, help};
}

constexpr Member method(std::string_view name, std::uint32_t dispid, int offset, std::span<const Argument> arguments,
                        std::string_view event, std::string_view help)
{
    return {name, Kind::Method, dispid, Type::Long, 0, 0, 0, offset, arguments, event, help};
}

constexpr Argument longArg(std::string_view name, std::string_view field, std::string_view enumName = {})
{
    return {name, Type::Long, enumName, false, field};
}

constexpr Argument setDataArgs[] = {longArg("l1", "NewlData1"),
                                    longArg("l2", "NewlData2"),
                                    {"d", Type::Double, {}, false, "NewdData"},
                                    {"s", Type::String, {}, false, "NewsData"}};
constexpr Argument setScrivoWindowArgs[] = {longArg("State", "NewScrivoWindow", "tetWindowState")};
constexpr Argument setBandArgs[] = {longArg("Band", "NewBand")};
constexpr Argument setStepOpFreqArgs[] = {longArg("Direction", "NewStepOpFreq", "tetStepOpFreq")};
constexpr Argument setTXFreqArgs[] = {{"MhzFreq", Type::Double, {}, false, "NewTXFreq"}};
constexpr Argument setRPTArgs[] = {longArg("KhzShift", "NewRPTOffset"), longArg("Direction", "NewRPT", "tetRPT")};
constexpr Argument setTunerArgs[] = {longArg("State", "NewTuner", "tetTuner")};
constexpr Argument setPTTArgs[] = {longArg("PTT", "NewPTT", "tetPTT")};
constexpr Argument setClarifierArgs[] = {{"KhzOffset", Type::Double, {}, false, "NewClarOffset"},
                                         longArg("RX", "NewRXClar", "tetRXClar"),
                                         longArg("TX", "NewTXClar", "tetTXClar")};
constexpr Argument upDownArgs[] = {longArg("KhzStep", "NewStep")};
constexpr Argument setDialArgs[] = {longArg("Locked", "NewLockedDial", "tetDial")};
constexpr Argument setMemoryArgs[] = {longArg("Channel", "NewMemory")};
constexpr Argument setWindowStateArgs[] = {longArg("State", "NewWindowState", "tetWindowState")};
constexpr Argument setAutoModeArgs[] = {longArg("State", "NewAutoMode", "tetMode")};
constexpr Argument setScrivoArgs[] = {longArg("State", "Scrivo", "tetScrivo")};
constexpr Argument setSpotArgs[] = {{"MhzFreq", Type::Double, {}, false, "NewFreq"},
                                    {"CallSign", Type::String, {}, false, "NewCallSign"},
                                    {"Comment", Type::String, {}, false, "NewComment"}};
constexpr Argument setSplitArgs[] = {longArg("Split", "NewSplit", "tetSplit")};
constexpr Argument setVFOArgs[] = {longArg("VFO", "NewVFO", "tetVFO")};
constexpr Argument setCommentArgs[] = {{"Comment", Type::String, {}, false, "NewComment"}};
constexpr Argument setCallSignArgs[] = {{"CallSign", Type::String, {}, false, "NewCallSign"}};
constexpr Argument setFilterArgs[] = {longArg("Filter", "NewFilter", "tetFilter")};
constexpr Argument setModeArgs[] = {longArg("Mode", "NewMode", "tetMode")};
constexpr Argument setFreqArgs[] = {{"MhzFreq", Type::Double, {}, false, "NewFreq"}};
constexpr Argument setMonitoringArgs[] = {{"Activity", Type::Long, "tetMonitoring", true, "NewMonitoring"}};
constexpr Argument setDualArgs[] = {longArg("Dual", "NewDual")};

constexpr Member varnexTable[] = {
    method("SetData", 0x600300CA, 592, setDataArgs, "RaiseData", ""),
    property("NewsData", 0x680300C8, Type::String, 596, 600, ""),
    property("sData", 0x680300C7, Type::String, 604, 608, ""),
    property("NewdData", 0x680300C6, Type::Double, 612, 616, ""),
    property("dData", 0x680300C5, Type::Double, 620, 624, ""),
    property("NewlData2", 0x680300C4, Type::Long, 628, 632, ""),
    property("NewlData1", 0x680300C3, Type::Long, 636, 640, ""),
    property("lData2", 0x680300C2, Type::Long, 644, 648, ""),
    property("lData1", 0x680300C1, Type::Long, 652, 656, ""),
    method("SetScrivoWindow", 0x600300CB, 660, setScrivoWindowArgs, "RaiseScrivoWindow",
           "Set new Scrivo WindowState\r\n0 = normal\r\n1 = minimized\r\n2 = maximized\r\n3 =last"),
    property("NewScrivoWindow", 0x680300C0, Type::Long, 664, 668,
             "New Scrivo WindowState\r\n0 = normal\r\n1 = minimized\r\n2 = maximized"),
    property("ScrivoWindow", 0x680300BF, Type::Long, 672, 676,
             "Scrivo 5 WindowState status\r\n0 = normal\r\n1 = minimized\r\n2 = maximized"),
    method("SetUpdated", 0x600300CC, 680, {}, "RaiseUpdated", "Send Updated event"),
    method("SetBand", 0x600300CD, 684, setBandArgs, "RaiseBand", "Set new Band number"),
    property("NewBand", 0x680300BE, Type::Long, 688, 692, "New band number to select"),
    property("Band", 0x680300BD, Type::Long, 696, 700, "Band number in use (1-10)"),
    method("ResetSMeter", 0x600300CE, 704, {}, "RaiseResetSMeter", "Reset SMeter max value to 0"),
    method("SetStepOpFreq", 0x600300CF, 708, setStepOpFreqArgs, "RaiseStepOpFreq",
           "Step Operating Frequency\r\n-1= Down\r\n1= Up"),
    property("NewStepOpFreq", 0x680300BC, Type::Long, 712, 716,
             "New Frequency Step for Step Op Freq command\r\n- 1 = down \r\n1 = up"),
    property("StepOpFreq", 0x680300BB, Type::Long, 720, 724, "Current Step Op Frequency \r\n- 1 = down \r\n1 = up"),
    method("SetTXFreq", 0x600300D0, 728, setTXFreqArgs, "RaiseTXFreq", "Set new TX Frequency (Mhz)"),
    property("NewTXFreq", 0x680300BA, Type::Double, 732, 736, "New TX frequency (Mhz)"),
    method("SetRPT", 0x600300D1, 740, setRPTArgs, "RaiseRPT",
           "Set new Repeater conditions :\r\nShift (Khz)\r\nDirection (-1 down / 0 simplex / 1 up)"),
    property("NewRPTOffset", 0x680300B9, Type::Long, 744, 748, "New repeater offser (Khz > 0)"),
    property("RPTOffset", 0x680300B8, Type::Long, 752, 756, "Current Repeater Offset (Khz)"),
    property("NewRPT", 0x680300B7, Type::Long, 760, 764, "New Repeater state \r\n-1 = down\r\n0 = simplex\r\n1 = up"),
    property("RPT", 0x680300B6, Type::Long, 768, 772, "Current Repeater shift\r\n-1 = down\r\n0 = simplex\r\n1 = up"),
    method("SetTuner", 0x600300D2, 776, setTunerArgs, "RaiseTuner",
           "Set new Tuner state\r\n0 = OFF\r\n1 = ON\r\n2 = Start"),
    property("NewTuner", 0x680300B5, Type::Long, 780, 784, "New Tuner state\r\n0 = OFF\r\n1 = ON\r\n2 = Start"),
    property("Tuner", 0x680300B4, Type::Long, 788, 792, "Current Tuner state\r\n0 = OFF\r\n1 = ON\r\n2 = Tuning"),
    method("SetPTT", 0x600300D3, 796, setPTTArgs, "RaisePTT", "Set new PTT state\r\n0 = RX\r\n1 = TX"),
    property("NewPTT", 0x680300B3, Type::Long, 800, 804, "New PTT value\r\n0 = RX\r\n1 = TX"),
    property("PTT", 0x680300B2, Type::Long, 808, 812, "Current PTT state\r\n0 = RX\r\n1 = TX"),
    method("SetClarifier", 0x600300D4, 816, setClarifierArgs, "RaiseClarifier",
           "Set new Clarifier conditions\r\nOffset (Khz)\r\nRX (0/1)\r\nTX (0/1)"),
    property("NewTXClar", 0x680300B1, Type::Long, 820, 824, "New TX Clarifier state\r\n0 = OFF\r\n1 = ON"),
    property("NewRXClar", 0x680300B0, Type::Long, 828, 832, "New RX Clarifier state\r\n0 = OFF\r\n1 = ON"),
    property("TXClar", 0x680300AF, Type::Long, 836, 840, "TX Clarifier value\r\n0 = OFF\r\n1 = ON"),
    property("RXClar", 0x680300AE, Type::Long, 844, 848, "Current RX Clarifier state \r\n0 = OFF\r\n1 = ON"),
    property("NewClarOffset", 0x680300AD, Type::Double, 852, 856, "New Clarifier Offset value (Khz)"),
    property("ClarOffset", 0x680300AC, Type::Double, 860, 864, "Clarifier Offset value (Khz)"),
    property("NewStep", 0x680300AB, Type::Long, 868, 872, "New Step for Up/Down command (KHz)"),
    method("UpDown", 0x600300D5, 876, upDownArgs, "RaiseUpDown",
           "Step current display (Khz)\r\n+ Khz = Up\r\n- Khz = Down"),
    method("SetDial", 0x600300D6, 880, setDialArgs, "RaiseDial", "Set Lock/Unlock dial\r\n0 = Unlocked\r\n1 = Locked"),
    property("NewLockedDial", 0x680300AA, Type::Long, 884, 888, "New Dial Locked state\r\n0 = Unlocked\r\n1 = Locked"),
    property("LockedDial", 0x680300A9, Type::Long, 892, 896, "Dial Lock value\r\n0 = Unlocked\r\n1 = Locked"),
    method("SetMemory", 0x600300D7, 900, setMemoryArgs, "RaiseMemory",
           "Set new Memory Channel (number depending on model)"),
    property("NewMemory", 0x680300A8, Type::Long, 904, 908, "New memory channel to select"),
    property("Memory", 0x680300A7, Type::Long, 912, 916, "Memory Channel in use (range depending on model)"),
    method("SetOK", 0x600300D8, 920, {}, "OK", "Send OK event to Scrivo"),
    property(
        "NewWindowState", 0x680300A6, Type::Long, 924, 928,
        "New Window State for Varnak\r\n0 = normal\r\n1 = minimized\r\n2 = maximized\r\n3 = last value (except 1)"),
    property("NewAutoMode", 0x680300A5, Type::Long, 932, 936,
             "New Auto Mode state (0:LSB 1:USB 2:CWW 3:CWN 4:AMW 5:AMN 6:FMW 7:FMN 8:FSKU 9:FSKL 10:PKTL 11:PKTFM)"),
    property("AutoMode", 0x680300A4, Type::Long, 940, 944, "AutoMode state\r\n0 = OFF\r\n1 = ON"),
    method("SetWindowState", 0x600300D9, 948, setWindowStateArgs, "RaiseWindowState",
           "Set Varnak WindowState\r\n0 = reduced\r\n1 = minimized\r\n2 = maximized\r\n3 = last value (except 1)"),
    method("Refresh", 0x600300DA, 952, {}, "RaiseRefresh", "Refreshs all properties and send OK event."),
    method("SetAutoMode", 0x600300DB, 956, setAutoModeArgs, "RaiseAutoMode",
           "Set new Auto mode state\r\n0 = OFF\r\n1 = ON"),
    method("SetScrivo", 0x600300DC, 960, setScrivoArgs, "RaiseScrivo", "Set Scrivo indicator\r\n0 = OFF\r\n1 = ON"),
    property("Scrivo", 0x680300A3, Type::Long, 964, 968,
             "Scrivo 5 status\r\n0 = not running with Varnak\r\n1 = running with Varnak"),
    property("CAT", 0x680300A2, Type::Long, 972, 976, "CAT Activity\r\n0 = OFF\r\n1 = ON\r\n2 = ON + loop"),
    property("TXFreq", 0x680300A1, Type::Double, 980, 984, "Current TX Frequency (Mhz)"),
    method("SetVFOM", 0x600300DD, 988, {}, "RaiseVFOM", "Set VFO>M"),
    property("SMeter", 0x680300A0, Type::Long, 992, 996, "Current S-Meter maximum value (0-9)"),
    method("SetAeqB", 0x600300DE, 1000, {}, "RaiseAeqB", "Set opposite VFO = VFO in use"),
    method("SetSpot", 0x600300DF, 1004, setSpotArgs, "RaiseSpot",
           "Set new Spot\r\nFrequency (Mhz)\r\nCallsign (String)\r\nComment (String)"),
    method("SetSplit", 0x600300E0, 1008, setSplitArgs, "RaiseSplit",
           "Set new Split condition\r\n0 = Split OFF\r\n1 = Split ON"),
    method("SetVFO", 0x600300E1, 1012, setVFOArgs, "RaiseVFO",
           "Set new VFO condition\r\n0 = VFO A\r\n1 = VFO B\r\n2 = Memory channel\r\n(the Memory channel number has to "
           "to be send via SetMemory)"),
    method("SetComment", 0x600300E2, 1016, setCommentArgs, "RaiseComment", "Set new Comment"),
    method("SetCallSign", 0x600300E3, 1020, setCallSignArgs, "RaiseCallSign", "Set new Callsign"),
    method("SetFilter", 0x600300E4, 1024, setFilterArgs, "RaiseFilter",
           "Set new Filter  (0:2400 1:2000 2:500 3:250 4:6000)"),
    method("SetMode", 0x600300E5, 1028, setModeArgs, "RaiseMode",
           "Set new Mode (0:LSB 1:USB 2:CWW 3:CWN 4:AMW 5:AMN 6:FMW 7:FMN 8:FSKU 9:FSKL 10:PKTL 11:PKTFM)"),
    method("SetFreq", 0x600300E6, 1032, setFreqArgs, "RaiseFreq", "Set new Frequency (Mhz)"),
    property("NewSplit", 0x6803009F, Type::Long, 1036, 1040, "New split condition (0:OFF 1:ON) "),
    property("NewVFO", 0x6803009E, Type::Long, 1044, 1048,
             "New VFO condition to select\r\n0 = A \r\n1 = B\r\n2 = Memory"),
    property("NewComment", 0x6803009D, Type::String, 1052, 1056, "New comment - String * 30", 30),
    property("NewCallSign", 0x6803009C, Type::String, 1060, 1064, "New callsign - String * 12", 12),
    property("NewFilter", 0x6803009B, Type::Long, 1068, 1072, "New Filter (0:2400 1:2000 2:500 3:250 4:6000)"),
    property("NewMode", 0x6803009A, Type::Long, 1076, 1080,
             "New mode (0:LSB 1:USB 2:CWW 3:CWN 4:AMW 5:AMN 6:FMW 7:FMN 8:FSKU 9:FSKL 10:PKTL 11:PKTFM)"),
    property("NewFreq", 0x68030099, Type::Double, 1084, 1088, "New frequency (Mhz)"),
    property("Split", 0x68030098, Type::Long, 1092, 1096, "Current Split condition\r\n0 = Split OFF\r\n1 = Split ON"),
    property("VFO", 0x68030097, Type::Long, 1100, 1104,
             "Current VFO condition\r\n0 = A\r\n1 = B\r\n2 = Memory Operation"),
    property("Comment", 0x68030096, Type::String, 1108, 1112, "Current comment - String * 30", 30),
    property("CallSign", 0x68030095, Type::String, 1116, 1120, "Current callsign - String * 12", 12),
    property("Filter", 0x68030094, Type::Long, 1124, 1128, "Current Filter (0:2400 1:2000 2:500 3:250 4:6000)"),
    property("Mode", 0x68030093, Type::Long, 1132, 1136,
             "Current mode (0:LSB 1:USB 2:CWW 3:CWN 4:AMW 5:AMN 6:FMW 7:FMN 8:FSKU 9:FSKL 10:PKTL 11:PKTFM)"),
    property("Freq", 0x68030092, Type::Double, 1140, 1144, "Current frequency (Mhz) - Double"),
    method("SetMonitoring", 0x600300E8, 1148, setMonitoringArgs, "RaiseMonitoring",
           "Set Monitoring (Only availble when Varnak is minimized)\r\n0 = Monitoring OFF\r\n1 = Monitoring ON"),
    property("NewMonitoring", 0x680300E7, Type::Long, 1152, 1156, "New CAT Activity\r\n1 = ON\r\n2 = ON + Loop"),
    property("Transceiver", 0x680300E9, Type::String, 1160, 1164, "Transceiver (model)"),
    method("SetDual", 0x600300EC, 1168, setDualArgs, "RaiseDual", ""),
    // Dual and NewDual interleave their accessors: let, let, get, get.
    property("Dual", 0x680300EB, Type::Long, 1172, 1180, ""),
    property("NewDual", 0x680300EA, Type::Long, 1176, 1184, ""),
};

constexpr Member connectorTable[] = {
    property("Varnex", 0x68030000, Type::Object, 0, 28, "Varnex = public not creatable object"),
};

constexpr std::string_view fieldTable[] = {
    "Freq",      "Mode",        "Filter",          "CallSign",      "Comment",       "VFO",
    "Split",     "CAT",         "SMeter",          "TXFreq",        "Scrivo",        "AutoMode",
    "Memory",    "LockedDial",  "ClarOffset",      "RXClar",        "TXClar",        "PTT",
    "Tuner",     "RPT",         "RPTOffset",       "StepOpFreq",    "Band",          "ScrivoWindow",
    "lData1",    "lData2",      "sData",           "dData",         "Dual",          "NewRXClar",
    "NewPTT",    "NewTXClar",   "NewClarOffset",   "NewLockedDial", "NewTuner",      "NewWindowState",
    "NewMemory", "NewRPT",      "NewRPTOffset",    "NewTXFreq",     "NewStepOpFreq", "NewBand",
    "NewlData1", "NewlData2",   "NewScrivoWindow", "NewsData",      "NewFreq",       "NewMode",
    "NewFilter", "NewCallSign", "NewComment",      "NewVFO",        "NewSplit",      "NewdData",
    "NewStep",   "NewAutoMode", "NewMonitoring",   "NewDual",       "Transceiver",
};

constexpr Event eventTable[] = {
    {1, "RaiseData"},
    {2, "RaiseCallSign"},
    {3, "RaiseComment"},
    {4, "RaiseVFO"},
    {5, "RaiseSplit"},
    {6, "RaiseSpot"},
    {7, "RaiseAeqB"},
    {8, "RaiseTXFreq"},
    {9, "RaiseStepOpFreq"},
    {10, "RaiseResetSMeter"},
    {11, "RaiseBand"},
    {12, "RaiseUpdated"},
    {13, "RaiseScrivoWindow"},
    {14, "RaiseRPT"},
    {15, "RaiseTuner"},
    {16, "RaisePTT"},
    {17, "RaiseClarifier"},
    {18, "RaiseDial"},
    {19, "RaiseUpDown"},
    {20, "RaiseMemory"},
    {21, "RaiseAutoMode"},
    {22, "RaiseScrivo"},
    {23, "RaiseRefresh"},
    {24, "RaiseWindowState"},
    {25, "OK"},
    {26, "RaiseVFOM"},
    {27, "RaiseFreq"},
    {28, "RaiseMode"},
    {29, "RaiseFilter"},
    {30, "RaiseMonitoring"},
    {31, "RaiseDual"},
};

constexpr EnumMember tetModeMembers[] = {{"tetLSB", 0},  {"tetUSB", 1},  {"tetCWW", 2},   {"tetCWN", 3},
                                         {"tetAMW", 4},  {"tetAMN", 5},  {"tetFMW", 6},   {"tetFMN", 7},
                                         {"tetFSKL", 8}, {"tetFSKU", 9}, {"tetPKTL", 10}, {"tetPKTFM", 11}};
constexpr EnumMember tetFilterMembers[] = {
    {"tetHz2400", 0}, {"tetHz2000", 1}, {"tetHz500", 2}, {"tetHz250", 3}, {"tetHz6000", 4}};
constexpr EnumMember tetSplitMembers[] = {{"tetSplitOn", 1}, {"tetSplitOff", 0}};
constexpr EnumMember tetVFOMembers[] = {{"tetVFOA", 0}, {"tetVFOB", 1}, {"tetMemory", 2}};
constexpr EnumMember tetCATMembers[] = {{"tetCATOff", 0}, {"trtCATOn", 1}, {"tetCATLoop", 2}};
constexpr EnumMember tetAutoModeMembers[] = {{"tetAutoModeOff", 0}, {"tetAutoModeOn", 1}};
constexpr EnumMember tetScrivoMembers[] = {{"tetScrivoOff", 0}, {"tetScrivoOn", 1}};
constexpr EnumMember tetWindowStateMembers[] = {
    {"tetNormal", 0}, {"tetMaximized", 2}, {"tetMinimized", 1}, {"tetLastValue", 3}};
constexpr EnumMember tetRXClarMembers[] = {{"tetRXClarOff", 0}, {"tetRXClarOn", 1}};
constexpr EnumMember tetTXClarMembers[] = {{"tetTXClarOff", 0}, {"tetTXClarOn", 1}};
constexpr EnumMember tetTunerMembers[] = {{"tetTunerOff", 0}, {"tetTunerOn", 1}, {"tetTunerTuning", 2}};
constexpr EnumMember tetStepOpFreqMembers[] = {{"tetStepUp", 1}, {"tetStepDown", -1}};
constexpr EnumMember tetRPTMembers[] = {{"tetRPTUp", 1}, {"tetRPTDown", -1}, {"tetSimplex", 0}};
constexpr EnumMember tetDialMembers[] = {{"tetDialUnlocked", 0}, {"tetDialLocked", 1}};
constexpr EnumMember tetPTTMembers[] = {{"tetPTTRX", 0}, {"tetPTTTX", 1}};
constexpr EnumMember tetMonitoringMembers[] = {{"tetMonitoringOff", 0}, {"tetMonitoringOn", 1}};

constexpr Enumeration enumTable[] = {
    {"tetMode", "{C19D7C7A-E0D3-11D1-9FFB-D3308207CF79}", tetModeMembers},
    {"tetFilter", "{C19D7C7B-E0D3-11D1-9FFB-D3308207CF79}", tetFilterMembers},
    {"tetSplit", "{AD389A8D-FD1A-11D1-9FFC-8703DD3BB166}", tetSplitMembers},
    {"tetVFO", "{C19D7C7D-E0D3-11D1-9FFB-D3308207CF79}", tetVFOMembers},
    {"tetCAT", "{AD389A8E-FD1A-11D1-9FFC-8703DD3BB166}", tetCATMembers},
    {"tetAutoMode", "{FD81A34C-FBE1-11D1-9FFC-BA9C9C852979}", tetAutoModeMembers},
    {"tetScrivo", "{045BF50F-FBDB-11D1-9FFC-BA9C9C852979}", tetScrivoMembers},
    {"tetWindowState", "{045BF510-FBDB-11D1-9FFC-BA9C9C852979}", tetWindowStateMembers},
    {"tetRXClar", "{D7F83C6F-FD17-11D1-9FFC-8703DD3BB166}", tetRXClarMembers},
    {"tetTXClar", "{D7F83C70-FD17-11D1-9FFC-8703DD3BB166}", tetTXClarMembers},
    {"tetTuner", "{D7F83C71-FD17-11D1-9FFC-8703DD3BB166}", tetTunerMembers},
    {"tetStepOpFreq", "{D7F83C72-FD17-11D1-9FFC-8703DD3BB166}", tetStepOpFreqMembers},
    {"tetRPT", "{D7F83C73-FD17-11D1-9FFC-8703DD3BB166}", tetRPTMembers},
    {"tetDial", "{D7F83C74-FD17-11D1-9FFC-8703DD3BB166}", tetDialMembers},
    {"tetPTT", "{D7F83C75-FD17-11D1-9FFC-8703DD3BB166}", tetPTTMembers},
    {"tetMonitoring", "{4594EB2E-FD30-11D1-9FFC-836BBF2AD078}", tetMonitoringMembers},
};

constexpr Alias aliasTable[] = {
    {"Varnex___v0", "{AD389A8F-FD1A-11D1-9FFC-8703DD3BB166}"},
    {"Varnex___v1", "{4594EB2C-FD30-11D1-9FFC-836BBF2AD078}"},
    {"Varnex___v2", "{55AE250C-FD42-11D1-9FFC-AA4C780C17DF}"},
};

constexpr std::string_view varnexIdTable[] = {
    varnexInterfaceId,
    aliasTable[0].guid,
    aliasTable[1].guid,
    aliasTable[2].guid,
};

constexpr std::string_view eventIdTable[] = {
    eventInterfaceId,
    "{AD389A91-FD1A-11D1-9FFC-8703DD3BB166}",
    "{4594EB2D-FD30-11D1-9FFC-836BBF2AD078}",
    "{55AE250D-FD42-11D1-9FFC-AA4C780C17DF}",
};

constexpr TypeLibrary library = {"Tethra", "{AD389A96-FD1A-11D1-9FFC-8703DD3BB166}", 38, 3,
                                 "Varnak - linking component"};

template <typename Row>
const Row *findByName(std::span<const Row> rows, std::string_view name)
{
    auto it = std::find_if(rows.begin(), rows.end(), [name](const Row &row) { return row.name == name; });
    return it == rows.end() ? nullptr : &*it;
}

} // namespace

std::span<const Member> varnexMembers()
{
    return varnexTable;
}
std::span<const Member> connectorMembers()
{
    return connectorTable;
}
std::span<const std::string_view> fieldOrder()
{
    return fieldTable;
}
std::span<const Event> events()
{
    return eventTable;
}
std::span<const Enumeration> enumerations()
{
    return enumTable;
}
std::span<const Alias> varnexAliases()
{
    return aliasTable;
}
std::span<const std::string_view> varnexInterfaceIds()
{
    return varnexIdTable;
}
std::span<const std::string_view> eventInterfaceIds()
{
    return eventIdTable;
}
const TypeLibrary &typeLibrary()
{
    return library;
}

const Member *findVarnexMember(std::string_view name)
{
    return findByName(varnexMembers(), name);
}
const Event *findEvent(std::string_view name)
{
    return findByName(events(), name);
}
const Enumeration *findEnumeration(std::string_view name)
{
    return findByName(enumerations(), name);
}

} // namespace tethra::catalogue
