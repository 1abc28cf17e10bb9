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
        // A font set on the bar itself is its own from then on.
        if (!FSettingFont) FUseOwnFont = true;
        if (FControl) {
            for (int i = 0; i < FControl->ControlCount(); ++i) FControl->Controls(i).Remeasure();
            Relayout();
        }
    };
    AssignManagerFont();
}

TdxBar::~TdxBar() {
    if (FControl) {
        TdxDockControl& dock = FControl->DockControl();
        dock.TakeOutBar(*FControl);
        FControl.reset();
        dock.RefreshDock();
    }
}

TdxBarManager& TdxBar::BarManager() const { return FCollection.BarManager(); }

int TdxBar::Index() const { return FCollection.IndexOf(this); }

TdxDockControl* TdxBar::DockControl() const {
    return FControl ? &FControl->DockControl() : FCollection.DockControl(FDockingStyle);
}

void TdxBar::AssignManagerFont() {
    if (FUseOwnFont) return;
    ScopedValue setting(FSettingFont, true);
    FFont.Assign(BarManager().Font());
}

void TdxBar::SetUseOwnFont(bool own) {
    FUseOwnFont = own;
    AssignManagerFont();
}

void TdxBar::SetCaption(std::string caption) {
    FCaption = std::move(caption);
    if (FControl) FControl->SetCaption(FCaption);
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

bool TdxBar::ReadProperty(std::string_view name, const Value& value, TReader& reader) {
    auto flag = [&](bool& field) { field = prop::Bool(value); };
    auto number = [&](int& field) { field = prop::Int(value); };
    if (name.starts_with("Font.")) return ReadFontProperty(FFont, name.substr(5), value);
    if (name == "Name") SetName(prop::String(value));
    else if (name == "Caption") SetCaption(prop::String(value));
    else if (name == "BorderStyle") SetBorderStyle(prop::Enum(value, kBorderStyleNames));
    else if (name == "DockingStyle") SetDockingStyle(prop::Enum(value, kDockingStyleNames));
    else if (name == "DockedDockingStyle") FDockedDockingStyle = prop::Enum(value, kDockingStyleNames);
    else if (name == "DockedLeft") number(FDockedLeft);
    else if (name == "DockedTop") number(FDockedTop);
    else if (name == "FloatLeft") number(FFloatLeft);
    else if (name == "FloatTop") number(FFloatTop);
    else if (name == "FloatClientWidth") number(FFloatClientWidth);
    else if (name == "FloatClientHeight") number(FFloatClientHeight);
    else if (name == "Row") SetRow(prop::Int(value));
    else if (name == "OneOnRow") flag(FOneOnRow);
    else if (name == "WholeRow") SetWholeRow(prop::Bool(value));
    else if (name == "UseRestSpace") SetUseRestSpace(prop::Bool(value));
    else if (name == "ShowMark") SetShowMark(prop::Bool(value));
    else if (name == "SizeGrip") SetSizeGrip(prop::Bool(value));
    else if (name == "UseOwnFont") SetUseOwnFont(prop::Bool(value));
    else if (name == "Visible") SetVisible(prop::Bool(value));
    else if (name == "AllowClose") flag(FAllowClose);
    else if (name == "AllowCustomizing") flag(FAllowCustomizing);
    else if (name == "AllowQuickCustomizing") flag(FAllowQuickCustomizing);
    else if (name == "AllowReset") flag(FAllowReset);
    else if (name == "Color") FColor = prop::Color(value);
    else if (name == "RotateWhenVertical") flag(FRotateWhenVertical);
    else if (name == "AlphaBlendValue") number(FAlphaBlendValue);
    else if (name == "Hidden") flag(FHidden);
    else if (name == "IsMainMenu") flag(FIsMainMenu);
    else if (name == "MultiLine") flag(FMultiLine);
    else if (name == "NotDocking") FNotDocking = ReadSet(value, kDockingStyleSetNames);
    else if (name == "ItemLinks") FItemLinks.Read(value, reader);
    else return false;
    return true;
}

void TdxBar::WriteProperties(TWriter& writer) const {
    auto flag = [&](const char* name, bool value, bool byDefault) {
        if (value != byDefault) writer.Write(name, Value::Bool(value));
    };
    if (!Name().empty()) writer.Write("Name", Value::Str(Name()));
    writer.Write("Caption", Value::Str(FCaption));
    writer.Write("BorderStyle", EnumValue(FBorderStyle, kBorderStyleNames));
    writer.Write("DockingStyle", EnumValue(FDockingStyle, kDockingStyleNames));
    writer.Write("DockedDockingStyle", EnumValue(FDockedDockingStyle, kDockingStyleNames));
    // A shown bar stores where it is now.
    writer.Write("DockedLeft", Value::Int(FControl ? FControl->Left() : FDockedLeft));
    writer.Write("DockedTop", Value::Int(FControl ? FControl->Top() : FDockedTop));
    writer.Write("FloatLeft", Value::Int(FFloatLeft));
    writer.Write("FloatTop", Value::Int(FFloatTop));
    writer.Write("FloatClientWidth", Value::Int(FFloatClientWidth));
    writer.Write("FloatClientHeight", Value::Int(FFloatClientHeight));
    if (FUseOwnFont) {
        writer.Write("Font.Height", Value::Int(FFont.Height()));
        writer.Write("Font.Name", Value::Str(FFont.Name()));
    }
    writer.Write("ItemLinks", FItemLinks.Write());
    if (FNotDocking) writer.Write("NotDocking", SetValue(FNotDocking, kDockingStyleSetNames));
    writer.Write("OneOnRow", Value::Bool(FOneOnRow));
    writer.Write("Row", Value::Int(FRow));
    writer.Write("UseOwnFont", Value::Bool(FUseOwnFont));
    writer.Write("Visible", Value::Bool(FVisible));
    writer.Write("WholeRow", Value::Bool(FWholeRow));
    flag("UseRestSpace", FUseRestSpace, false);
    flag("ShowMark", FShowMark, true);
    flag("SizeGrip", FSizeGrip, true);
    flag("AllowClose", FAllowClose, true);
    flag("AllowCustomizing", FAllowCustomizing, true);
    flag("AllowQuickCustomizing", FAllowQuickCustomizing, true);
    flag("AllowReset", FAllowReset, true);
    if (FColor != clDefault) writer.Write("Color", ColorValue(FColor));
    flag("RotateWhenVertical", FRotateWhenVertical, true);
    if (FAlphaBlendValue != 255) writer.Write("AlphaBlendValue", Value::Int(FAlphaBlendValue));
    flag("Hidden", FHidden, false);
    flag("IsMainMenu", FIsMainMenu, false);
    flag("MultiLine", FMultiLine, false);
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
    return FItems.back().get();
}

void TdxBars::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    std::unique_ptr<TdxBar> bar = std::move(FItems[static_cast<std::size_t>(index)]);
    FItems.erase(FItems.begin() + index);
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
    for (const auto& properties : value.items) {
        TdxBar* bar = Add();
        for (const Property& p : properties)
            if (!bar->ReadProperty(p.name, p.value, reader))
                throw EReadError(Format(ResString("SUnknownProperty"), {p.name}));
    }
}

Value TdxBars::Write() const {
    std::vector<std::vector<Property>> items;
    for (const auto& bar : FItems) items.push_back(forms::WriteProperties(*bar));
    return Value::CollectionOf(std::move(items));
}

}  // namespace bars
