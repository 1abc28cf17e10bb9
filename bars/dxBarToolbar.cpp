#include "bars/dxBarToolbar.h"

#include "bars/dxBarControl.h"
#include "bars/dxBarDock.h"
#include "bars/dxBarManager.h"
#include "forms/Exceptions.h"
#include "forms/Helpers.h"
#include "forms/ResStrings.h"

using namespace forms;

namespace bars {

// ---- TdxBar

TdxBar::TdxBar(TdxBars& collection)
    : TComponent(nullptr), FCollection(collection), FItemLinks(&collection.BarManager(), this) {
    FFont.OnChange = [this] {
        if (FControl) {
            for (int i = 0; i < FControl->ControlCount(); ++i) FControl->Controls(i).Remeasure();
            Relayout();
        }
    };
    AssignManagerFont();
}

TdxBar::~TdxBar() {
    BarManager().ObjectDestroying(this);
    if (FControl) {
        TdxDockControl& dock = FControl->DockControl();
        dock.TakeOutBar(*FControl);
        FControl.reset();
        dock.RefreshDock();
    }
}

TdxBarManager& TdxBar::BarManager() const { return FCollection.BarManager(); }

int TdxBar::Index() const { return FCollection.IndexOf(this); }

// A docked toolbar window always lets its bar be closed.
bool TdxBar::IsUserClosable() const { return FAllowClose && !FIsMainMenu; }

TdxDockControl* TdxBar::DockControl() const {
    return FControl ? &FControl->DockControl() : FCollection.DockControl(FDockingStyle);
}

void TdxBar::AssignManagerFont() { FFont.Follow(BarManager().Font()); }

void TdxBar::SetUseOwnFont(bool own) {
    FFont.SetFollowing(!own);
    AssignManagerFont();
}

void TdxBar::SetCaption(std::string caption) {
    if (caption == FCaption) return;
    FCaption = std::move(caption);
    if (FControl) FControl->SetCaption(FCaption);
    FCollection.Changed(this);
}

void TdxBar::SetBorderStyle(TdxBarBorderStyle style) {
    if (style == FBorderStyle) return;
    FBorderStyle = style;
    if (FControl) FControl->RebuildMetrics();
    Relayout();
}

void TdxBar::SetDockingStyle(TdxBarDockingStyle style) {
    if (style == FDockingStyle) return;
    if (BarManager().Loading()) {
        FDockingStyle = style;
        return;
    }
    HideWindow();
    FDockingStyle = style;
    if (FVisible) ShowWindow();
    if (BarManager().OnBarDockingStyleChange) BarManager().OnBarDockingStyleChange(&BarManager(), this);
}

void TdxBar::SetDockedPos(int left, int top) {
    FDockedLeft = left;
    FDockedTop = top;
}

void TdxBar::SetFloatPos(int left, int top) {
    FFloatLeft = left;
    FFloatTop = top;
}

TdxBarLayout TdxBar::SaveLayout() const {
    TdxBarLayout layout;
    layout.index = Index();
    layout.caption = FCaption;
    layout.dockingStyle = FDockingStyle;
    layout.dockedDockingStyle = FDockedDockingStyle;
    layout.dockedLeft = FDockedLeft;
    layout.dockedTop = FDockedTop;
    layout.floatLeft = FFloatLeft;
    layout.floatTop = FFloatTop;
    layout.floatClientWidth = FFloatClientWidth;
    layout.floatClientHeight = FFloatClientHeight;
    layout.oneOnRow = FOneOnRow;
    layout.row = FRow;
    layout.visible = FVisible;
    for (int i = 0; i < FItemLinks.Count(); ++i) layout.links.push_back(FItemLinks.Items(i)->SaveLayout());
    return layout;
}

void TdxBar::SetRow(int row) {
    if (row == FRow) return;
    FRow = row;
    if (!FControl) return;
    TdxDockControl& dock = FControl->DockControl();
    dock.TakeOutBar(*FControl);
    dock.PlaceBar(*FControl, {FControl->Left(), FControl->Top()}, true);
}

void TdxBar::SetWholeRow(bool whole) {
    if (whole == FWholeRow) return;
    FWholeRow = whole;
    Reshow();
}

void TdxBar::SetUseRestSpace(bool use) {
    if (use == FUseRestSpace) return;
    FUseRestSpace = use;
    Relayout();
}

void TdxBar::SetShowMark(bool show) {
    if (show == FShowMark) return;
    FShowMark = show;
    Relayout();
}

void TdxBar::SetSizeGrip(bool grip) {
    if (grip == FSizeGrip) return;
    FSizeGrip = grip;
    if (FControl) FControl->RebuildMetrics();
    Relayout();
}

void TdxBar::SetVisible(bool visible) {
    // While the stream is read the value waits for the end of loading.
    if (BarManager().Loading()) {
        FLoadedVisible = visible;
        return;
    }
    if (visible == FVisible) return;
    FVisible = visible;
    if (visible) ShowWindow();
    else HideWindow();
    if (BarManager().OnBarVisibleChange) BarManager().OnBarVisibleChange(&BarManager(), this);
    FCollection.Changed(this);
}

void TdxBar::ApplyLoaded() {
    FPredefined = true;
    SetVisible(FLoadedVisible);
}

void TdxBar::ShowWindow() {
    if (FControl) return;
    TdxDockControl* dock = FCollection.DockControl(FDockingStyle);
    // Floating bars are not built: such a bar stays without a window.
    if (!dock) return;
    FControl = std::make_unique<TdxBarControl>(*this, *dock);
    dock->PlaceBar(*FControl, {FDockedLeft, FDockedTop}, true);
}

void TdxBar::HideWindow() {
    if (!FControl) return;
    TdxDockControl& dock = FControl->DockControl();
    // Remembered so that showing the bar again puts it back.
    FDockedDockingStyle = FDockingStyle;
    int row = dock.RowOf(*FControl);
    FOneOnRow = row >= 0 && dock.Rows(row).ColCount() == 1;
    FDockedLeft = FControl->Left();
    FDockedTop = FControl->Top();
    dock.TakeOutBar(*FControl);
    FControl.reset();
    dock.RefreshDock();
}

void TdxBar::Reshow() {
    if (!FControl) return;
    HideWindow();
    ShowWindow();
}

void TdxBar::LinksChanged() { Relayout(); }

void TdxBar::Relayout() {
    if (FControl) FControl->RequestLayout();
}

const PropertyTable& TdxBar::StoredProperties() const {
    using B = TdxBar;
    using P = Describe<B>;
    static const PropertyTable table(TComponent::StoredProperties(), {
        P::Property("Name", kString, &B::Name, &B::SetName, ""),
        P::Property("Caption", kString, &B::Caption, &B::SetCaption),
        P::Property("BorderStyle", EnumKind(kBorderStyleNames), &B::BorderStyle, &B::SetBorderStyle),
        P::Property("DockingStyle", EnumKind(kDockingStyleNames), &B::DockingStyle, &B::SetDockingStyle),
        P::Field("DockedDockingStyle", EnumKind(kDockingStyleNames), &B::FDockedDockingStyle),
        // A shown bar stores where it is now.
        P::Property("DockedLeft", kInt, [](const B& b) { return b.FControl ? b.FControl->Left() : b.FDockedLeft; },
                    &B::FDockedLeft),
        P::Property("DockedTop", kInt, [](const B& b) { return b.FControl ? b.FControl->Top() : b.FDockedTop; },
                    &B::FDockedTop),
        P::Field("FloatLeft", kInt, &B::FFloatLeft),
        P::Field("FloatTop", kInt, &B::FFloatTop),
        P::Field("FloatClientWidth", kInt, &B::FFloatClientWidth),
        P::Field("FloatClientHeight", kInt, &B::FFloatClientHeight),
        P::Object("Font", [](auto& b) -> auto& { return b.Font(); }, &B::UseOwnFont),
        P::Custom(
            "ItemLinks", [](B& b, const Value& v, TReader& reader) { b.FItemLinks.Read(v, reader); },
            [](const B& b) -> std::optional<Value> { return b.FItemLinks.Write(); }),
        P::Field("NotDocking", SetKind(kDockingStyleSetNames), &B::FNotDocking, 0u),
        P::Field("OneOnRow", kBool, &B::FOneOnRow),
        P::Property("Row", kInt, &B::Row, &B::SetRow),
        P::Property("UseOwnFont", kBool, &B::UseOwnFont, &B::SetUseOwnFont),
        P::Property("Visible", kBool, &B::Visible, &B::SetVisible),
        P::Property("WholeRow", kBool, &B::WholeRow, &B::SetWholeRow),
        P::Property("UseRestSpace", kBool, &B::UseRestSpace, &B::SetUseRestSpace, false),
        P::Property("ShowMark", kBool, &B::ShowMark, &B::SetShowMark, true),
        P::Property("SizeGrip", kBool, &B::SizeGrip, &B::SetSizeGrip, true),
        P::Field("AllowClose", kBool, &B::FAllowClose, true),
        P::Field("AllowCustomizing", kBool, &B::FAllowCustomizing, true),
        P::Field("AllowQuickCustomizing", kBool, &B::FAllowQuickCustomizing, true),
        P::Field("AllowReset", kBool, &B::FAllowReset, true),
        P::Field("Color", kColor, &B::FColor, clDefault),
        P::Field("RotateWhenVertical", kBool, &B::FRotateWhenVertical, true),
        P::Field("AlphaBlendValue", kInt, &B::FAlphaBlendValue, 255),
        P::Field("Hidden", kBool, &B::FHidden, false),
        P::Field("IsMainMenu", kBool, &B::FIsMainMenu, false),
        P::Field("MultiLine", kBool, &B::FMultiLine, false),
    });
    return table;
}

// ---- TdxBars

TdxBars::TdxBars(TdxBarManager& manager) : FManager(manager) {
    for (std::size_t i = 0; i < FDocks.size(); ++i) FDocks[i] = std::make_unique<TdxDockControl>(manager, kDockSides[i]);
}

TdxBars::~TdxBars() {
    while (!FItems.empty()) FItems.pop_back();
}

int TdxBars::IndexOf(const TdxBar* bar) const {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == bar) return static_cast<int>(i);
    return -1;
}

TdxBar* TdxBars::Add() {
    FItems.push_back(std::make_unique<TdxBar>(*this));
    Changed(nullptr);
    return FItems.back().get();
}

void TdxBars::Changed(TdxBar* bar) {
    if (OnChange && !FManager.IsLoading() && !FManager.IsDestroying()) OnChange(bar);
}

void TdxBars::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    std::unique_ptr<TdxBar> bar = std::move(FItems[static_cast<std::size_t>(index)]);
    FItems.erase(FItems.begin() + index);
    bar.reset();
    Changed(nullptr);
}

TdxBar* TdxBars::Find(std::string_view name) const {
    for (const auto& bar : FItems)
        if (!name.empty() && bar->Name() == name) return bar.get();
    return nullptr;
}

TdxDockControl* TdxBars::DockControl(TdxBarDockingStyle style) const {
    for (std::size_t i = 0; i < FDocks.size(); ++i)
        if (kDockSides[i] == style) return FDocks[i].get();
    return nullptr;
}

void TdxBars::Read(const Value& value, TReader& reader) {
    if (value.kind != Value::Kind::Collection) prop::InvalidValue();
    for (const auto& properties : value.items) ReadItemProperties(*Add(), properties, reader);
}

Value TdxBars::Write() const { return WriteCollection(FItems); }

}  // namespace bars
