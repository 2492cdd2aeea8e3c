#pragma once
// CControlUI: the base of every skin control. Each control is one QWidget;
// containers place their children themselves (no Qt layouts), so positions
// follow the layout-file rules exactly.
//
// Units: setters of sizes, paddings and positions take design units (pixels
// at 96 dpi); getters return pixels of the window at its current dpi. Window
// coordinates: GetPos() and TEventUI::ptMouse are relative to the top-left of
// the control's window (the paint manager's window); painting happens in the
// control's own coordinates (rect()).

#include <QColor>
#include <QFont>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

#include "ui/notify.h"

class QInputEvent;

namespace talven::ui {

class CPaintManagerUI;
class CContainerUI;

// Text style bits (CLabelUI and CRenderEngine::DrawText).
inline constexpr uint DT_LEFT = 0x0000;
inline constexpr uint DT_TOP = 0x0000;
inline constexpr uint DT_CENTER = 0x0001;
inline constexpr uint DT_RIGHT = 0x0002;
inline constexpr uint DT_VCENTER = 0x0004;
inline constexpr uint DT_BOTTOM = 0x0008;
inline constexpr uint DT_WORDBREAK = 0x0010;
inline constexpr uint DT_SINGLELINE = 0x0020;
inline constexpr uint DT_NOPREFIX = 0x0800;
inline constexpr uint DT_END_ELLIPSIS = 0x8000;

// Button state bits (CButtonUI::GetButtonState).
inline constexpr uint UISTATE_FOCUSED = 0x01;
inline constexpr uint UISTATE_SELECTED = 0x02;
inline constexpr uint UISTATE_DISABLED = 0x04;
inline constexpr uint UISTATE_HOT = 0x08;
inline constexpr uint UISTATE_PUSHED = 0x10;
inline constexpr uint UISTATE_READONLY = 0x20;
inline constexpr uint UISTATE_CAPTURED = 0x40;

// The top-left of `widget` in the coordinates of `paintWindow` (or of the
// widget's own top-level window when there is no paint window).
QPoint OriginInWindow(const QWidget* widget, const QWidget* paintWindow);

class CControlUI : public QWidget {
    Q_OBJECT

public:
    CControlUI();
    ~CControlUI() override;
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual QString GetClass() const;

    // --- identity and texts ---
    QString GetName() const { return name_; }
    virtual void SetName(const QString& name);
    // In resource-text mode the stored text is a language key and this
    // returns its translation.
    virtual QString GetText() const;
    virtual void SetText(const QString& text);
    QString GetToolTip() const;
    void SetToolTip(const QString& tip) { tooltip_ = tip; }
    QString GetUserData() const { return userData_; }
    void SetUserData(const QString& data) { userData_ = data; }
    quintptr GetTag() const { return tag_; }
    void SetTag(quintptr tag) { tag_ = tag; }
    // Notifications of this control and its children carry this name (the
    // nearest ancestor's when unset) in TNotifyUI::sVirtualWnd.
    QString GetVirtualWnd() const;
    void SetVirtualWnd(const QString& name) { virtualWnd_ = name; }
    bool IsResourceText() const { return resourceText_; }
    void SetResourceText(bool resource);
    // Re-reads the shown text after a language change.
    virtual void ReloadText();

    // --- state ---
    bool IsVisible() const { return visible_; }
    virtual void SetVisible(bool visible = true);
    bool IsEnabled() const { return enabled_; }
    virtual void SetEnabled(bool enable = true);
    // A control with the mouse disabled lets clicks through to what is below.
    bool IsMouseEnabled() const { return mouseEnabled_; }
    void SetMouseEnabled(bool enable = true);
    bool IsFocused() const { return focused_; }
    virtual void SetFocus();
    bool IsContextMenuUsed() const { return contextMenu_; }
    void SetContextMenuUsed(bool used) { contextMenu_ = used; }

    // --- size and position ---
    int GetFixedWidth() const;
    void SetFixedWidth(int width);
    int GetFixedHeight() const;
    void SetFixedHeight(int height);
    int GetMinWidth() const;
    void SetMinWidth(int width);
    int GetMaxWidth() const;
    void SetMaxWidth(int width);
    int GetMinHeight() const;
    void SetMinHeight(int height);
    int GetMaxHeight() const;
    void SetMaxHeight(int height);
    // Offset of a float control from its parent's top-left.
    QPoint GetFixedXY() const;
    void SetFixedXY(const QPoint& xy);
    QMargins GetPadding() const;
    void SetPadding(const QMargins& padding);
    bool IsFloat() const { return float_; }
    void SetFloat(bool isFloat = true);
    QRect GetPos() const;
    // Places the control at `rc` (window coordinates). Containers call this
    // for their children; on a float control it also moves its float
    // position, so the place survives the next layout.
    virtual void SetPos(const QRect& rc, bool needInvalidate = true);
    int GetX() const { return GetPos().x(); }
    int GetY() const { return GetPos().y(); }
    int GetWidth() const { return width(); }
    int GetHeight() const { return height(); }
    // The size a layout should give the control; 0 in a direction means
    // "share the free space". Default: the fixed size.
    virtual QSize EstimateSize(const QSize& available);

    // --- appearance ---
    QColor GetBkColor() const { return bkColor_; }
    void SetBkColor(const QColor& color);
    QColor GetBkColor2() const { return bkColor2_; }
    void SetBkColor2(const QColor& color);
    QColor GetBorderColor() const { return borderColor_; }
    void SetBorderColor(const QColor& color);
    QColor GetFocusBorderColor() const { return focusBorderColor_; }
    void SetFocusBorderColor(const QColor& color);
    int GetBorderSize() const;
    void SetBorderSize(int size);
    QSize GetBorderRound() const;
    void SetBorderRound(const QSize& radii);
    QString GetBkImage() const { return bkImage_; }
    void SetBkImage(const QString& image);
    QString GetForeImage() const { return foreImage_; }
    void SetForeImage(const QString& image);
    QColor GetTextColor() const { return textColor_; }
    void SetTextColor(const QColor& color);
    QColor GetDisabledTextColor() const { return disabledTextColor_; }
    void SetDisabledTextColor(const QColor& color);
    int GetFont() const { return font_; }
    void SetFont(int index);
    // The font of this control's slot at the window's current dpi.
    QFont GetFontObject() const;

    // --- attributes ---
    virtual void SetAttribute(const QString& name, const QString& value);
    // `name="value" name2="value2"` as written in <Default> entries.
    void ApplyAttributeList(const QString& list);

    // --- tree ---
    CPaintManagerUI* GetManager() const { return manager_; }
    // Joins the control (and, for containers, its children) to a window's
    // manager. `init` runs DoInit once, the first time a manager is set.
    virtual void SetManager(CPaintManagerUI* manager, bool init = true);
    CControlUI* GetParent() const;
    // Pre-order search of this control and its descendants.
    virtual CControlUI* FindControl(const std::function<bool(CControlUI*)>& match);
    virtual void DoInit();
    virtual bool Activate();
    // True for controls that take clicks themselves (buttons, edits, sliders,
    // lists): a press on them inside the caption strip does not drag the window.
    virtual bool IsMouseInteractive() const { return false; }
    // False for containers that keep their items out of sight (a combo's
    // items live in its drop list).
    virtual bool ItemsShownInPlace() const { return true; }

    // --- events ---
    // Unhandled mouse, key and wheel events go on to the parent, as if the
    // parent had received them; pSender stays the original control.
    virtual void DoEvent(TEventUI& event);

    // --- update ---
    void Invalidate();
    // Re-layout of this control's content at the next turn of the event loop.
    void NeedUpdate();
    void NeedParentUpdate();
    bool IsUpdateNeeded() const { return updateNeeded_; }

    // --- painting (control coordinates) ---
    virtual void DoPaint(QPainter& painter, const QRect& paintRect);
    void PaintLayers(QPainter& painter);
    void PaintLayersRounded(QPainter& painter, const QRect& area, const QSize& round);
    virtual void PaintBkColor(QPainter& painter);
    virtual void PaintBkImage(QPainter& painter);
    virtual void PaintStatusImage(QPainter& painter);
    virtual void PaintForeImage(QPainter& painter);
    virtual void PaintText(QPainter& painter);
    virtual void PaintBorder(QPainter& painter);
    // Draws an image description over the control; `modify` overrides keys
    // (e.g. "dest='0,0,10,10'"). False when nothing could be drawn.
    bool DrawImage(QPainter& painter, const QString& image, const QString& modify = {});

protected:
    // Called when the window's fonts, colours or dpi changed.
    virtual void OnStyleChanged();
    // Sends a focus notification unless the change came from window activation.
    void HandleFocusChange(bool gained, Qt::FocusReason reason);
    // Design units to window pixels at the manager's dpi.
    int ScaleValue(int value) const;
    QMargins ScaleValue(const QMargins& value) const;
    QColor EffectiveTextColor() const;
    TEventUI MakeEvent(int type, const QPointF& localPos = {}) const;
    // For input events: the modifiers and buttons the event itself carries.
    TEventUI MakeEvent(int type, const QPointF& localPos, const QInputEvent* input) const;
    void SendNotify(const QString& type, quintptr wParam = 0, qintptr lParam = 0, bool async = false);
    void ReportBadAttribute(const QString& name, const QString& value) const;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class CContainerUI;
    friend class CPaintManagerUI;

    bool StartFrameDrag(const QPointF& localPos);
    void ApplyQtVisibility();
    void StoreFloatRect(const QRect& localRect);

    QString name_;
    QString text_;
    QString tooltip_;
    QString userData_;
    QString virtualWnd_;
    quintptr tag_ = 0;
    bool resourceText_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    bool mouseEnabled_ = true;
    bool focused_ = false;
    bool contextMenu_ = false;
    bool float_ = false;
    bool inited_ = false;
    bool updateNeeded_ = false;
    QSize fixed_;        // design units; 0 = share
    QSize min_;          // design units
    QSize max_{9999, 9999};
    QPoint fixedXY_;     // design units, float controls
    QMargins padding_;   // design units
    QColor bkColor_, bkColor2_, borderColor_, focusBorderColor_;
    QColor textColor_, disabledTextColor_;
    int borderSize_ = 0;
    QSize borderRound_;
    QString bkImage_, foreImage_;
    int font_ = -1;
    CPaintManagerUI* manager_ = nullptr;
    CContainerUI* parent_ = nullptr;
};

}  // namespace talven::ui
