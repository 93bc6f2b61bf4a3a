#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace brindle {
namespace {

using K = ControlKind;
constexpr int S = id::kStatic;

// The main window, in tab order.
constexpr ControlTemplate kMainControls[] = {
    {S, K::Group, "File List", 7, 2, 167, 189},
    {id::kLogoList, K::ListView, "", 13, 17, 153, 97},
    {S, K::Group, "", 12, 115, 155, 40},
    {id::kOpenFile, K::Button, "Open file", 13, 163, 44, 19},
    {id::kRemove, K::Button, "Remove", 68, 163, 44, 19},
    {id::kReset, K::Button, "Reset", 122, 163, 44, 19},
    {S, K::Group, "Preview", 178, 2, 337, 190},
    {id::kLeftPanel, K::PictureFrame, "", 185, 14, 157, 127},
    {id::kRightPanel, K::PictureFrame, "", 352, 14, 157, 127},
    {S, K::Group, "HalfTone", 352, 145, 157, 44},
    {id::kHalftoneNone, K::Radio, "None", 376, 157, 42, 8, true},
    {id::kHalftoneDiffusion, K::Radio, "Error Diffusion", 437, 156, 58, 8},
    {id::kLevelSlider, K::Slider, "", 355, 166, 150, 14},
    {S, K::Group, "Port Setting", 7, 193, 253, 107},
    {id::kUpload, K::Button, "Upload", 421, 198, 87, 23},
    {S, K::Group, "Logo Printout", 264, 194, 148, 107},
    {id::kRangeAll, K::Radio, "All", 355, 219, 24, 10, true},
    {id::kRangeSelection, K::Radio, "Selection", 355, 233, 46, 10},
    {S, K::Group, "Quality", 269, 208, 77, 83},
    {id::kSizeSingle, K::Radio, "Single High&Wide", 273, 221, 68, 10, true},
    {id::kSizeDoubleWide, K::Radio, "Double Wide", 273, 238, 56, 10},
    {id::kSizeDoubleHigh, K::Radio, "Double High", 273, 256, 55, 10},
    {id::kSizeDoubleBoth, K::Radio, "Double High&Wide", 273, 273, 70, 10},
    {id::kDeviceList, K::DropDown, "", 19, 225, 48, 41},
    {id::kPortList, K::DropDown, "", 19, 260, 48, 112},
    {id::kBaudList, K::DropDown, "", 116, 203, 53, 166},
    {id::kBitLengthList, K::DropDown, "", 116, 220, 53, 164},
    {id::kParityList, K::DropDown, "", 116, 238, 53, 171},
    {id::kStopBitList, K::DropDown, "", 116, 257, 53, 206},
    {id::kIpAddress, K::Edit, "", 178, 218, 68, 14},
    {id::kTcpPort, K::Edit, "", 178, 258, 68, 14},
    {id::kSelectionNumber, K::Edit, "", 355, 249, 42, 16},
    {S, K::Group, "Printing Range", 351, 208, 56, 66},
    {id::kErase, K::Button, "Erase", 421, 237, 87, 23},
    {id::kPrintout, K::Button, "Printout", 352, 276, 55, 18},
    {id::kExit, K::Button, "Exit", 421, 275, 87, 23},
    {S, K::Label, "Device Name", 19, 211, 44, 8},
    {S, K::Label, "Port", 19, 246, 14, 8},
    {id::kHandshakeList, K::DropDown, "", 116, 276, 53, 188},
    {S, K::Label, "BaudRate :", 75, 205, 36, 8},
    {S, K::Label, "BitLength :", 77, 222, 35, 8},
    {S, K::Label, "Parity :", 88, 240, 24, 8},
    {S, K::Label, "StopBit :", 84, 259, 28, 8},
    {S, K::Label, "Handshake :", 71, 278, 42, 8},
    {S, K::Label, "IP Address", 181, 204, 36, 8},
    {S, K::Label, "Port Number", 181, 275, 42, 8},
    {id::kFileCounter, K::Text, "", 23, 127, 115, 12},
    {id::kSizeCounter, K::Text, "", 23, 140, 115, 12},
    {id::kWidthText, K::Text, "", 195, 158, 60, 12},
    {id::kHeightText, K::Text, "", 270, 158, 60, 12},
};

constexpr DialogTemplate kMainDialog{id::kMainTemplate, "Brindle_3.10", 523, 309, kMainControls};

}  // namespace

const DialogTemplate& MainDialogTemplate() { return kMainDialog; }

}  // namespace brindle
