// How the customization dialog draws its command rows, one painter per kind
// of bar painter.
#include "bars/dxBarCustForm.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarPainters.h"
#include "bars/dxOffice11.h"
#include "controls/cxGraphics.h"

using namespace forms;

namespace bars {

namespace {

constexpr int kCaptionIndent = 5;    // from the image column to the caption
constexpr int kDropDownArrow = 13;   // what a drop-down button keeps at the right

}  // namespace

const TdxBarCustomizationFormPainter& TdxBarCustomizationFormPainter::For(const TdxBarPainter& barPainter) {
    static const TdxBarCustomizationFormStandardPainter standard;
    static const TdxBarCustomizationFormFlatPainter flat;
    static const TdxBarCustomizationFormXPPainter xp;
    static const TdxBarCustomizationFormOffice11Painter office11;
    if (dynamic_cast<const TdxBarOffice11Painter*>(&barPainter)) return office11;
    if (dynamic_cast<const TdxBarXPPainter*>(&barPainter)) return xp;
    if (dynamic_cast<const TdxBarFlatPainter*>(&barPainter)) return flat;
    return standard;
}

COLORREF TdxBarCustomizationFormPainter::UnselectedRowColor() const { return ColorToRGB(ItemsListColor()); }

void TdxBarCustomizationFormPainter::DrawRowBackground(HDC dc, const RECT& row, const RECT&, bool selected) const {
    FillSolid(dc, row, selected ? ::GetSysColor(COLOR_HIGHLIGHT) : UnselectedRowColor());
}

COLORREF TdxBarCustomizationFormPainter::RowTextColor(bool selected) const {
    return selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : ColorToRGB(ItemsListTextColor());
}

void TdxBarCustomizationFormPainter::DrawItemRow(HDC dc, const RECT& row, const TdxBarManager& manager,
                                                 TdxBarItem& item, const std::string& caption, bool selected) const {
    const int side = row.bottom - row.top;
    const RECT imageColumn{row.left, row.top, row.left + side, row.bottom};
    DrawRowBackground(dc, row, imageColumn, selected);

    auto* button = dynamic_cast<TdxBarButton*>(&item);
    controls::TcxBitmap* glyph = button && !button->Glyph().Empty() ? &button->Glyph() : nullptr;
    TCustomImageList* images = manager.ImageOptions().Images();
    const bool listed = images && item.ImageIndex() >= 0 && item.ImageIndex() < images->Count();
    if (glyph || listed) {
        const int width = glyph ? glyph->Width() : images->Width();
        const int height = glyph ? glyph->Height() : images->Height();
        const int x = imageColumn.left + (side - width) / 2, y = imageColumn.top + (side - height) / 2;
        const RECT picture{x, y, x + width, y + height};
        controls::DrawImage(dc, picture, picture, glyph, images, item.ImageIndex(),
                            item.Enabled() ? controls::ImageDrawMode::Normal : controls::ImageDrawMode::Disabled);
    }

    RECT text{imageColumn.right + kCaptionIndent, row.top, row.right, row.bottom};
    if (button && (button->ButtonStyle() == TdxBarButtonStyle::DropDown ||
                   button->ButtonStyle() == TdxBarButtonStyle::CheckedDropDown))
        text.right -= kDropDownArrow;
    SelectGuard font(dc, manager.Font().Handle());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RowTextColor(selected));
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);
}

COLORREF TdxBarCustomizationFormOffice11Painter::UnselectedRowColor() const {
    if (HighContrast()) return TdxBarCustomizationFormFlatPainter::UnselectedRowColor();
    return Office11Palette().MenuBack;
}

void TdxBarCustomizationFormOffice11Painter::DrawRowBackground(HDC dc, const RECT& row, const RECT& imageColumn,
                                                               bool selected) const {
    if (HighContrast()) {
        TdxBarCustomizationFormFlatPainter::DrawRowBackground(dc, row, imageColumn, selected);
        return;
    }
    const TOffice11Palette& palette = Office11Palette();
    if (selected) {
        FillSolid(dc, row, palette.MenuSelected);
        DrawSelectionFrame(dc, row);
        return;
    }
    FillSolid(dc, row, palette.MenuBack);
    FillMidpointGradient(dc, imageColumn, palette.ToolbarLight, palette.ToolbarDark, true);
}

COLORREF TdxBarCustomizationFormOffice11Painter::RowTextColor(bool selected) const {
    if (HighContrast()) return TdxBarCustomizationFormFlatPainter::RowTextColor(selected);
    // On a white button face the selection is dark enough for face-coloured
    // text.
    if (selected && ::GetSysColor(COLOR_BTNFACE) == RGB(255, 255, 255)) return ::GetSysColor(COLOR_BTNFACE);
    return Office11Palette().Text;
}

}  // namespace bars
