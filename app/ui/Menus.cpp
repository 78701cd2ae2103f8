#include "app/ui/Menus.h"

#include "app/ui/Commands.h"

namespace menu {
namespace {
const Item newItem{"&New\tCtrl+N", cmd::FileNew};
const Item openItem{"&Open...\tCtrl+O", cmd::FileOpen};
const Item importItem{"&Import Elevation...", cmd::ImportElevation};
const Item closeItem{"&Close", cmd::FileClose};
const Item saveItem{"&Save\tCtrl+S", cmd::FileSave};
const Item saveAsItem{"Save &As...", cmd::FileSaveAs};
const Item printItem{"&Print...\tCtrl+P", cmd::FilePrint};
const Item previewItem{"Print Pre&view", cmd::FilePrintPreview};
const Item setupItem{"P&rint Setup...", cmd::FilePrintSetup};
const Item recentItem{"Recent File", RecentFiles};
const Item exitItem{"E&xit", cmd::AppExit};
const Item sep{"", Separator};

const Popup editMenu{"&Edit", {{"&Copy\tCtrl+C", cmd::EditCopy}, {"&Paste\tCtrl+V", cmd::EditPaste}}};
const Popup viewMenu{
    "&View",
    {{"&Toolbar", cmd::ViewToolbar}, {"&Status Bar", cmd::ViewStatusBar}, {"&Options...", cmd::Options}}};
const Popup windowMenu{"&Window",
                       {{"&Cascade", cmd::WindowCascade},
                        {"&Tile", cmd::WindowTile},
                        {"&Arrange Icons", cmd::WindowArrange},
                        {"", WindowList}}};
const Popup helpMenu{"&Help",
                     {{"&Index", cmd::HelpIndex},
                      {"&Using Help", cmd::HelpUsing},
                      sep,
                      {"&About ORVANTIS...", cmd::AppAbout}}};

std::vector<Item> toolItems() {
    return {{"&DEM Conversion...", cmd::DemConversion},
            {"Elevation To &Color...", cmd::ElevationToColor},
            {"Eliminate Red Pi&xels...", cmd::EliminateRed},
            {"Gray To &Elevation...", cmd::GrayToElevation},
            {"Elevation To &Gray...", cmd::ElevationToGray},
            {"Surface &Interpolation...", cmd::SurfaceInterpolation},
            {"Con&volution...", cmd::Convolution},
            {"&Merge...", cmd::Merge},
            {"M&ask...", cmd::Mask},
            {"Re&sample Elevation File...", cmd::Resample},
            {"Rec&tify...", cmd::Rectify}};
}

std::vector<Item> join(std::vector<Item> a, const std::vector<Item>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Popup> noDocument() {
    return {{"&File", {newItem, openItem, importItem, sep, setupItem, sep, recentItem, sep, exitItem}},
            viewMenu,
            {"&Calculate", toolItems()},
            helpMenu};
}

std::vector<Popup> pathEditor() {
    return {{"&File", {{"&Apply\tCtrl+A", cmd::Apply}, closeItem, sep, printItem, previewItem, setupItem}},
            editMenu,
            viewMenu,
            helpMenu};
}

std::vector<Popup> image(bool rendering) {
    std::vector<Item> calculate = toolItems();
    if (rendering) calculate = join({{"Sto&p rendering", cmd::StopRendering}, sep}, calculate);
    return {{"&File",
             {newItem, openItem, importItem, closeItem, saveItem, saveAsItem, sep, printItem, previewItem,
              setupItem, sep, recentItem, sep, exitItem}},
            editMenu,
            {viewMenu.title, join(viewMenu.items, {sep,
                                                   {"Zoom &In\tCtrl++", cmd::ZoomIn},
                                                   {"Zoom O&ut\tCtrl+-", cmd::ZoomOut},
                                                   {"&Actual Size (100 %)\tCtrl+0", cmd::ZoomActualSize},
                                                   {"&Fit to Window\tCtrl+9", cmd::ZoomToFit}})},
            {"&Calculate", calculate},
            windowMenu,
            helpMenu};
}

std::vector<Popup> scene() {
    return {{"&File",
             {newItem, openItem, importItem, closeItem, saveItem, saveAsItem, sep, setupItem, sep, recentItem,
              sep, exitItem}},
            {"&Edit",
             {{"&Copy\tCtrl+C", cmd::EditCopy},
              {"&Paste\tCtrl+V", cmd::EditPaste},
              sep,
              {"First -&> Last", cmd::FirstToLast},
              {"First &<- Last", cmd::LastToFirst}}},
            viewMenu,
            {"&Calculate", join({{"&Preview...\tCtrl+E", cmd::Preview},
                                 {"&Raw...\tCtrl+R", cmd::Raw},
                                 {"&Final...\tCtrl+F", cmd::Final},
                                 {"Render to Vide&o...", cmd::RenderVideo},
                                 sep},
                                toolItems())},
            windowMenu,
            helpMenu};
}
} // namespace

const std::vector<Popup>& menuFor(int resourceId) {
    static const std::vector<Popup> menus[5] = {noDocument(), pathEditor(), image(false), scene(),
                                                image(true)};
    if (resourceId < 100 || resourceId > 104) resourceId = 100;
    return menus[resourceId - 100];
}
} // namespace menu
