#include "bars/dxBarCustForm.h"

#include <windows.h>

#include <algorithm>

#include "bars/dxBarDock.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "bars/dxBarNameEd.h"
#include "bars/dxBarToolbar.h"
#include "forms/Dialogs.h"
#include "forms/ResStrings.h"

using namespace forms;

namespace bars {

namespace {

// The manager lays out its docks once, when the outermost update ends.
class UpdateLock {
public:
    explicit UpdateLock(TdxBarManager& manager) : FManager(manager) { FManager.BeginUpdate(); }
    ~UpdateLock() { FManager.EndUpdate(); }
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

private:
    TdxBarManager& FManager;
};

bool Confirmed(const std::string& text) {
    return ShowMessageBox(text, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
}

TdxBarItem* FindItem(const TdxBarManager& manager, const std::string& name) {
    if (name.empty()) return nullptr;
    for (TdxBarItem* item : manager.Items())
        if (item->Name() == name) return item;
    return nullptr;
}

}  // namespace

std::string dxBarNewToolbarName(const TdxBars& bars) {
    auto taken = [&](const std::string& caption) {
        for (int i = 0; i < bars.Count(); ++i)
            if (bars.Items(i)->Caption() == caption) return true;
        return false;
    };
    for (int n = 1;; ++n) {
        std::string caption = ResString("dxSBAR_TOOLBARNEWNAME") + std::to_string(n);
        if (!taken(caption)) return caption;
    }
}

TdxBar* dxBarAddToolbar(TdxBarManager& manager, const TControl& nearForm) {
    std::string name = dxBarNewToolbarName(manager.Bars());
    if (!dxBarNameEdNewToolbar(manager, name)) return nullptr;

    RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (::GetMonitorInfoA(::MonitorFromPoint({nearForm.Left(), nearForm.Top()}, MONITOR_DEFAULTTONEAREST), &monitor))
        work = monitor.rcWork;
    int floatLeft = nearForm.Left() - 50;
    if (floatLeft < work.left) floatLeft = nearForm.Left() + nearForm.Width() + 10;
    int floatTop = nearForm.Top() < work.top ? work.top + 10 : nearForm.Top();

    UpdateLock lock(manager);
    TdxBar* bar = manager.Bars().Add();
    bar->SetCaption(name);
    bar->SetFloatPos(floatLeft, floatTop);
    bar->SetDockingStyle(TdxBarDockingStyle::Top);
    bar->SetRow(manager.Bars().DockControl(TdxBarDockingStyle::Top)->RowCount());
    bar->SetOneOnRow(true);
    bar->SetVisible(true);
    bar->SetOneOnRow(false);
    return bar;
}

bool dxBarRenameToolbar(TdxBarManager& manager, TdxBar& bar) {
    std::string name;
    if (!dxBarNameEdRenameToolbar(manager, bar, name)) return false;
    bar.SetCaption(name);
    return true;
}

bool dxBarDeleteToolbars(TdxBarManager& manager, const std::vector<TdxBar*>& selected) {
    if (selected.empty()) return false;
    std::string question = selected.size() == 1
                               ? Format(ResString("dxSBAR_WANTTODELETETOOLBAR"), {selected.front()->Caption()})
                               : ResString("dxSBAR_WANTTODELETETOOLBARS");
    if (!Confirmed(question)) return false;
    std::vector<TdxBar*> bars = selected;
    std::sort(bars.begin(), bars.end(), [](TdxBar* a, TdxBar* b) { return a->Index() > b->Index(); });
    UpdateLock lock(manager);
    for (TdxBar* bar : bars) manager.Bars().Delete(bar->Index());
    return true;
}

bool dxBarResetToolbar(TdxBarManager& manager, TdxBar& bar) {
    if (!Confirmed(Format(ResString("dxSBAR_WANTTORESETTOOLBAR"), {bar.Caption()}))) return false;
    const TdxBarLayout* saved = nullptr;
    for (const TdxBarLayout& entry : manager.InitialLayout())
        if (entry.caption == bar.Caption()) {
            saved = &entry;
            break;
        }
    if (!saved) return false;
    if (manager.OnBarBeforeReset) manager.OnBarBeforeReset(&manager, &bar);
    {
        UpdateLock lock(manager);
        TdxBarItemLinks& links = bar.ItemLinks();
        links.Clear();
        for (const TdxBarLinkLayout& link : saved->links)
            if (TdxBarItem* item = FindItem(manager, link.itemName)) links.Add(item)->RestoreLayout(link);
    }
    if (manager.OnBarAfterReset) manager.OnBarAfterReset(&manager, &bar);
    return true;
}

}  // namespace bars
