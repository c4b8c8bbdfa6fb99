#pragma once
// The flat look of a form's menus: a non-visual object that owns the look (a style answering for
// menus only) and hands it to the menu bar and the popup menus of its form, and to the menus made
// later through the painted menu classes while it is the active painter.
#include <QColor>
#include <QFont>
#include <QList>
#include <QObject>
#include <QPointer>
#include <cstdint>

#include "controls/MenuColors.h"

class QWidget;
class TMenuStyle;

class TMenuPainter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(QFont Font READ Font WRITE SetFont)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QColor IconBackColor READ IconBackColor WRITE SetIconBackColor)
    Q_PROPERTY(QColor MenuBarColor READ MenuBarColor WRITE SetMenuBarColor)
    Q_PROPERTY(QColor CheckedColor READ CheckedColor WRITE SetCheckedColor)
    Q_PROPERTY(QColor SeparatorColor READ SeparatorColor WRITE SetSeparatorColor)
    Q_PROPERTY(QColor SelectBorderColor READ SelectBorderColor WRITE SetSelectBorderColor)
    Q_PROPERTY(QColor SelectColor READ SelectColor WRITE SetSelectColor)
    Q_PROPERTY(QColor DisabledColor READ DisabledColor WRITE SetDisabledColor)
    Q_PROPERTY(QColor SelectFontColor READ SelectFontColor WRITE SetSelectFontColor)
    Q_PROPERTY(int IconWidth READ IconWidth WRITE SetIconWidth)
    Q_PROPERTY(bool DrawSelect READ DrawSelect WRITE SetDrawSelect)
    Q_PROPERTY(bool UseSystemColors READ UseSystemColors WRITE SetUseSystemColors)
    Q_PROPERTY(bool UseDimColor READ UseDimColor WRITE SetUseDimColor)
    Q_PROPERTY(bool OverrideOwnerDraw READ OverrideOwnerDraw WRITE SetOverrideOwnerDraw)
    Q_PROPERTY(bool Gradient READ Gradient WRITE SetGradient)
    Q_PROPERTY(bool FlatMenu READ FlatMenu WRITE SetFlatMenu)
    Q_PROPERTY(bool AutoDetect READ AutoDetect WRITE SetAutoDetect)
    Q_PROPERTY(bool DrawMenuBar READ DrawMenuBar WRITE SetDrawMenuBar)
    Q_PROPERTY(int GrayLevel READ GrayLevel WRITE SetGrayLevel)
    Q_PROPERTY(int DimLevel READ DimLevel WRITE SetDimLevel)
    Q_PROPERTY(bool DisableSubclassing READ DisableSubclassing WRITE SetDisableSubclassing)

public:
    enum TPaintContainer {
        pccForm, pccFrame, pccToolbar, pccCoolbar, pccControlbar, pccPanel, pccScrollBox, pccGroupBox,
        pccTabSheet, pccPageScroller
    };
    Q_ENUM(TPaintContainer)
    enum TPaintControl {
        pcMainMenu, pcPopupMenu, pcToolbar, pcControlbar, pcCombo, pcListBox, pcEdit, pcMaskEdit, pcMemo,
        pcRichEdit, pcMiscEdit, pcCheckBox, pcRadioButton, pcButton, pcBitBtn, pcSpeedButton, pcUpDown,
        pcPanel, pcGroupBox, pcTreeView, pcListView, pcProgressBar, pcHotKey
    };
    Q_ENUM(TPaintControl)
    // Sets of the kinds above: bit n is the value n.
    using TPaintContainers = uint32_t;
    using TPaintControls = uint32_t;
    static constexpr TPaintContainers AllContainers = (1u << 10) - 1;
    static constexpr TPaintControls AllControls = (1u << 23) - 1;

    // form: the window whose menus are painted (it owns the painter); may be null.
    explicit TMenuPainter(QWidget* form);
    ~TMenuPainter() override;

    // The painter whose look new painted menus take; none while no painter is active.
    static TMenuPainter* ActivePainter();

    bool Active() const { return FActive; }
    void SetActive(bool value);
    const QFont& Font() const { return FFont; }
    void SetFont(const QFont& font);
    // The colour of the menu texts (the font's colour).
    QColor FontColor() const { return FFontColor; }
    void SetFontColor(const QColor& colour);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& c) { SetColour(FColor, c); }
    QColor IconBackColor() const { return FIconBackColor; }
    void SetIconBackColor(const QColor& c) { SetColour(FIconBackColor, c); }
    QColor MenuBarColor() const { return FMenuBarColor; }
    void SetMenuBarColor(const QColor& c);
    QColor CheckedColor() const { return FCheckedColor; }
    void SetCheckedColor(const QColor& c) { SetColour(FCheckedColor, c); }
    QColor SeparatorColor() const { return FSeparatorColor; }
    void SetSeparatorColor(const QColor& c) { SetColour(FSeparatorColor, c); }
    QColor SelectBorderColor() const { return FSelectBorderColor; }
    void SetSelectBorderColor(const QColor& c) { SetColour(FSelectBorderColor, c); }
    QColor SelectColor() const { return FSelectColor; }
    void SetSelectColor(const QColor& c) { SetColour(FSelectColor, c); }
    QColor DisabledColor() const { return FDisabledColor; }
    void SetDisabledColor(const QColor& c) { SetColour(FDisabledColor, c); }
    QColor SelectFontColor() const { return FSelectFontColor; }
    void SetSelectFontColor(const QColor& c) { SetColour(FSelectFontColor, c); }
    int IconWidth() const { return FIconWidth; }
    void SetIconWidth(int value) { FIconWidth = value; }
    bool DrawSelect() const { return FDrawSelect; }
    void SetDrawSelect(bool value) { FDrawSelect = value; }
    bool UseSystemColors() const { return FUseSystemColors; }
    void SetUseSystemColors(bool value);
    bool UseDimColor() const { return FUseDimColor; }
    void SetUseDimColor(bool value) { FUseDimColor = value; FColorsChanged = true; }
    bool OverrideOwnerDraw() const { return FOverrideOwnerDraw; }
    void SetOverrideOwnerDraw(bool value);
    bool Gradient() const { return FGradient; }
    void SetGradient(bool value) { FGradient = value; }
    bool FlatMenu() const { return FFlatMenu; }
    void SetFlatMenu(bool value);
    bool AutoDetect() const { return FAutoDetect; }
    void SetAutoDetect(bool value) { FAutoDetect = value; }
    bool DrawMenuBar() const { return FDrawMenuBar; }
    void SetDrawMenuBar(bool value) { FDrawMenuBar = value; }
    int GrayLevel() const { return FGrayLevel; }
    void SetGrayLevel(int value) { FGrayLevel = uint8_t(value); }
    int DimLevel() const { return FDimLevel; }
    void SetDimLevel(int value) { FDimLevel = uint8_t(value); }
    TPaintContainers PaintContainers() const { return FPaintContainers; }
    void SetPaintContainers(TPaintContainers value);
    TPaintControls PaintControls() const { return FPaintControls; }
    void SetPaintControls(TPaintControls value);
    bool DisableSubclassing() const { return FDisableSubclassing; }
    void SetDisableSubclassing(bool value);

    // The colour depth the working colours are made for (the screen's unless set).
    int DisplayDepth() const;
    void SetDisplayDepth(int bits);
    // Whether popup windows can be given a shape (true on X11); a shaped popup gets the flat frame's
    // cut corners and its shadow, an unshaped one a frame around the whole window.
    bool WindowShaping() const { return FWindowShaping; }
    void SetWindowShaping(bool value);
    // Whether the flat frame and its shadow are in force for popups.
    bool ShadowedPopups() const { return FFlatMenu && FWindowShaping; }

    // The working colours, recomputed after a colour change.
    const TMenuColors& WorkingColors();
    TMenuStyle* Style() const { return FStyle; }
    QWidget* Form() const { return FForm; }

    // Gives a menu or menu bar the look (it stays in the painter's list and takes the look again
    // when the painter is activated once more); a menu of a form whose Tag is 999 is left alone.
    void TakeOver(QWidget* menu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetColour(QColor& field, const QColor& value);
    void ReplaceKinds(uint32_t& field, uint32_t value);
    void ActivateChildren(bool activate);
    void Apply(QWidget* menu);
    void Drop(QWidget* menu);
    bool Handled(const QWidget* menu) const;
    bool Wanted(const QWidget* menu) const;
    void RedrawMenuBar();
    void RefreshMenus();
    static void ChooseActive();

    QPointer<QWidget> FForm;
    TMenuStyle* FStyle = nullptr;
    QList<QPointer<QWidget>> FMenus;
    bool FActive = false;
    QFont FFont;
    QColor FFontColor, FColor, FIconBackColor, FMenuBarColor, FCheckedColor, FSeparatorColor;
    QColor FSelectBorderColor, FSelectColor, FDisabledColor, FSelectFontColor;
    int FIconWidth = 24;
    bool FDrawSelect = true, FUseSystemColors = true, FUseDimColor = false, FOverrideOwnerDraw = false;
    bool FGradient = false, FFlatMenu = false, FAutoDetect = false, FDrawMenuBar = false;
    uint8_t FGrayLevel = 10, FDimLevel = 30;
    TPaintContainers FPaintContainers = AllContainers;
    TPaintControls FPaintControls = AllControls;
    bool FDisableSubclassing = false;
    int FDisplayDepth = 0; // 0: the screen's
    bool FWindowShaping = false;
    bool FColorsChanged = true;
    TMenuColors FColors;
};

// The Tag of an object (a dynamic property "Tag"); 999 keeps the plain menu look.
int TagOf(const QObject* object);
constexpr int KPlainMenuTag = 999;
