#include "bars/dxBarRegistry.h"

#include <algorithm>
#include <stdexcept>

#include "bars/dxBarControl.h"
#include "bars/dxBarCustForm.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "bars/dxOffice11.h"
#include "forms/Forms.h"
#include "forms/ResStrings.h"

namespace bars {

namespace {

const forms::ResStringDefault kBarStrings[] = {
    {"dxSBAR_DEFAULTCATEGORYNAME", "Default"},
    {"dxSBAR_NEWITEMCAPTION", "New Item"},
    {"dxSBAR_NEWBUTTONCAPTION", "New Button"},
    {"dxSBAR_ONLYONEMANAGER", "A control should contain only a single TdxBarManager"},
    {"dxSBAR_WANTTWINCONTROL", "TdxBarManager should have TWinControl as its Owner"},
    {"dxSBAR_NOVIEWLEVELS", "%s.GetPossibleViewLevels = []"},
    {"dxSBAR_TOOLBARNEWNAME", "Custom "},
    {"dxSBAR_TOOLBARADD", "Add Toolbar"},
    {"dxSBAR_TOOLBARRENAME", "Rename Toolbar"},
    {"dxSBAR_TOOLBARNAME", "&Toolbar name:"},
    {"dxSBAR_OK", "OK"},
    {"dxSBAR_CANCEL", "Cancel"},
    {"dxSBAR_TOOLBAREXISTS", "A toolbar named '%s' already exists. Type another name."},
    {"dxSBAR_WANTTODELETETOOLBAR", "Are you sure you want to delete the '%s' toolbar?"},
    {"dxSBAR_WANTTODELETETOOLBARS", "Are you sure you want to delete selected toolbars?"},
    {"dxSBAR_WANTTORESETTOOLBAR", "Are you sure you want to reset the changes made to the '%s' toolbar?"},
    {"dxSBAR_CUSTOMIZE", "&Customize..."},
    {"dxSBAR_CP_RESET", "&Reset"},
    {"dxSBAR_CP_DELETE", "&Delete"},
    {"dxSBAR_CP_NAME", "&Name:"},
    {"dxSBAR_CP_DEFAULTSTYLE", "Defa&ult style"},
    {"dxSBAR_CP_TEXTONLYALWAYS", "&Text Only (Always)"},
    {"dxSBAR_CP_TEXTONLYINMENUS", "Text &Only (in Menus)"},
    {"dxSBAR_CP_IMAGEANDTEXT", "Image &and Text"},
    {"dxSBAR_CP_BEGINAGROUP", "Begin a &Group"},
    {"dxSBAR_COMMANDNAMECANNOTBEBLANK", "A command name cannot be blank. Please enter a name."},
    {"dxSBAR_CAPTION", "Customize"},
    {"dxSBAR_TABSHEET1", " Toolbars "},
    {"dxSBAR_TABSHEET2", " Commands "},
    {"dxSBAR_TABSHEET3", " Options "},
    {"dxSBAR_TOOLBARS", "Toolb&ars:"},
    {"dxSBAR_TNEW", "&New..."},
    {"dxSBAR_TRENAME", "R&ename..."},
    {"dxSBAR_TDELETE", "&Delete"},
    {"dxSBAR_TRESET", "&Reset..."},
    {"dxSBAR_CATEGORIES", "Cate&gories:"},
    {"dxSBAR_COMMANDS", "Comman&ds:"},
    {"dxSBAR_DESCRIPTION", "Description  "},
    {"dxSBAR_PERSMENUSANDTOOLBARS", "Personalized Menus and Toolbars  "},
    {"dxSBAR_MENUSSHOWRECENTITEMS", "Me&nus show recently used commands first"},
    {"dxSBAR_SHOWFULLMENUSAFTERDELAY", "Show f&ull menus after a short delay"},
    {"dxSBAR_RESETUSAGEDATA", "&Reset my usage data"},
    {"dxSBAR_OTHEROPTIONS", "Other  "},
    {"dxSBAR_LARGEICONS", "&Large icons"},
    {"dxSBAR_HINTOPT1", "Show Tool&Tips on toolbars"},
    {"dxSBAR_HINTOPT2", "Show s&hortcut keys in ToolTips"},
    {"dxSBAR_MENUANIMATIONS", "&Menu animations:"},
    {"dxSBAR_MENUANIM1", "(None)"},
    {"dxSBAR_MENUANIM2", "Random"},
    {"dxSBAR_MENUANIM3", "Unfold"},
    {"dxSBAR_MENUANIM4", "Slide"},
    {"dxSBAR_MENUANIM5", "Fade"},
    {"dxSBAR_CLOSE", "Close"},
    {"dxSBAR_WANTTORESETUSAGEDATA",
     "This will delete the record of the commands you've used in this application and restore the default set of "
     "visible commands to the menus and toolbars. It will not undo any explicit customizations.   Are you sure you "
     "want to proceed?"},
};

// Kinds that stored descriptions of other programs may name; this one
// builds none of them, so they have no classes here.
struct NamedKind {
    const char* item;
    const char* control;
    bool offered;
};
const NamedKind kUnbuiltKinds[] = {
    {"TdxBarEdit", "TdxBarEditControl", true},
    {"TCustomdxBarCombo", "TCustomdxBarComboControl", true},
    {"TdxBarCombo", "TdxBarComboControl", true},
    {"TdxBarSubItem", "TdxBarSubItemControl", true},
    {"TdxBarListItem", "TdxBarContainerItemControl", true},
    {"TdxBarContainerItem", "TdxBarContainerItemControl", true},
    {"TdxBarExtraPaneListItem", "TdxBarContainerItemControl", false},
    {"TdxBarLabel", "TdxBarCustomStaticControl", false},
    {"TdxBarSeparator", "TdxBarSeparatorControl", true},
    {"TdxBarApplicationMenuButtonItem", "TdxBarApplicationMenuButtonControl", false},
    {"TdxBarQuickCustExtButton", "TdxBarQuickCustExtButtonControl", false},
    {"TdxBarQuickCustItem", "TdxBarQuickCustItemControl", false},
    {"TdxBarQuickAccessItem", "TdxBarSubItemControl", false},
    {"TSystemMenuSubItem", "TSystemMenuSubItemControl", false},
};

// The drag cursors from the program's resources. A program built without
// bars/dxBar.rc still gets a cursor that says the same, never none.
void RegisterDragCursors() {
    const struct {
        int id;
        const char* resource;
        LPCSTR fallback;
    } cursors[] = {
        {crDXBarDrag, "DXBARDRAGCURSOR", MAKEINTRESOURCEA(32512) /* IDC_ARROW */},
        {crDXBarDragCopy, "DXBARDRAGCOPYCURSOR", MAKEINTRESOURCEA(32512)},
        {crDXBarDragNoDrop, "DXBARDRAGNODROPCURSOR", MAKEINTRESOURCEA(32648) /* IDC_NO */},
    };
    for (const auto& c : cursors) {
        // Both are shared cursors: the system frees them.
        HCURSOR cursor = ::LoadCursorA(::GetModuleHandleA(nullptr), c.resource);
        if (!cursor) cursor = ::LoadCursorA(nullptr, c.fallback);
        forms::Screen().SetCursor(c.id, cursor);
    }
}

}  // namespace

void TdxBarItemList::Register(const TRegItemRecord& record) { FItems.push_back(record); }

void TdxBarItemList::Unregister(int index) {
    if (index < 0 || index >= Count()) return;
    FItems.erase(FItems.begin() + index);
}

TdxBarItemControlFactory TdxBarItemList::ControlClassOf(const TdxBarItem& item) const {
    for (const TRegItemRecord& r : FItems)
        if (r.itemClass && *r.itemClass == typeid(item)) return r.controlFactory;
    return nullptr;
}

int TdxBarItemList::OfferedCount() const {
    return static_cast<int>(std::count_if(FItems.begin(), FItems.end(), [](const TRegItemRecord& r) { return r.offered; }));
}

const TRegItemRecord& TdxBarItemList::Offered(int index) const {
    for (const TRegItemRecord& r : FItems)
        if (r.offered && index-- == 0) return r;
    throw std::out_of_range("no such offered item kind");
}

TdxBarItemList& dxBarRegisteredItems() {
    static TdxBarItemList list;
    return list;
}

void InitializeBars() {
    static bool done = false;
    if (done) return;
    done = true;
    forms::RegisterResStrings(kBarStrings);
    InitializeOffice11();
    dxBarRegisterItem<TdxBarButton, TdxBarButtonControl>("TdxBarButton", "TdxBarButtonControl", true);
    dxBarRegisterItem<TdxBarLargeButton, TdxBarLargeButtonControl>("TdxBarLargeButton", "TdxBarLargeButtonControl",
                                                                   true);
    for (const NamedKind& k : kUnbuiltKinds)
        dxBarRegisteredItems().Register({k.item, nullptr, k.control, nullptr, k.offered});
    forms::RegisterComponentClass<TdxBarManager>("TdxBarManager");
    InitializeCustomizationForm();
    RegisterDragCursors();
}

}  // namespace bars
