// CControlUI: Qt's input events turned into TEventUI for DoEvent, the
// default event handling, and painting.

#include <QApplication>
#include <QCache>
#include <QHash>
#include <QHashFunctions>
#include <QImage>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

#include "platform/clock.h"
#include "ui/container.h"
#include "ui/control.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"

namespace talven::ui {

namespace {

quint16 KeyStateOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    quint16 state = 0;
    if (mods & Qt::ShiftModifier) state |= MK_SHIFT;
    if (mods & Qt::ControlModifier) state |= MK_CONTROL;
    if (mods & Qt::AltModifier) state |= MK_ALT;
    if (buttons & Qt::LeftButton) state |= MK_LBUTTON;
    if (buttons & Qt::RightButton) state |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) state |= MK_MBUTTON;
    return state;
}

quint16 VirtualKeyOf(int key) {
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        return static_cast<quint16>(key);  // same codes as ASCII upper case
    }
    switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

}  // namespace

TEventUI CControlUI::MakeEvent(int type, const QPointF& localPos) const {
    TEventUI e;
    e.Type = type;
    e.pSender = const_cast<CControlUI*>(this);
    e.dwTimestamp = tickCount();
    e.ptMouse = GetPos().topLeft() + localPos.toPoint();
    e.wKeyState = KeyStateOf(QApplication::keyboardModifiers(), QApplication::mouseButtons());
    return e;
}

TEventUI CControlUI::MakeEvent(int type, const QPointF& localPos, const QInputEvent* input) const {
    TEventUI e = MakeEvent(type, localPos);
    Qt::MouseButtons buttons = QApplication::mouseButtons();
    if (input->isPointerEvent()) buttons = static_cast<const QSinglePointEvent*>(input)->buttons();
    e.wKeyState = KeyStateOf(input->modifiers(), buttons);
    return e;
}

bool CControlUI::StartFrameDrag(const QPointF& localPos) {
    if (!manager_) return false;
    QWidget* window = manager_->GetPaintWindow();
    if (!window || !window->isWindow() || !window->windowHandle()) return false;
    const auto hit = manager_->HitTestFrame(GetPos().topLeft() + localPos.toPoint());
    if (!hit) return false;
    if (*hit == Qt::Edges()) {
        for (const CControlUI* c = this; c; c = c->GetParent()) {
            if (c->IsMouseInteractive()) return false;
        }
        return window->windowHandle()->startSystemMove();
    }
    if (window->isMaximized()) return false;
    return window->windowHandle()->startSystemResize(*hit);
}

void CControlUI::mousePressEvent(QMouseEvent* event) {
    event->accept();
    const QPointF pos = event->position();
    if (event->button() == Qt::LeftButton) {
        if (StartFrameDrag(pos)) return;
        TEventUI e = MakeEvent(UIEVENT_BUTTONDOWN, pos, event);
        DoEvent(e);
    } else if (event->button() == Qt::RightButton) {
        TEventUI e = MakeEvent(UIEVENT_RBUTTONDOWN, pos, event);
        DoEvent(e);
    }
}

void CControlUI::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    int type = 0;
    if (event->button() == Qt::LeftButton) type = UIEVENT_BUTTONUP;
    else if (event->button() == Qt::RightButton) type = UIEVENT_RBUTTONUP;
    if (type == 0) return;
    TEventUI e = MakeEvent(type, event->position(), event);
    DoEvent(e);
}

void CControlUI::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    int type = 0;
    if (event->button() == Qt::LeftButton) type = UIEVENT_DBLCLICK;
    else if (event->button() == Qt::RightButton) type = UIEVENT_RBUTTONDOWN;
    if (type == 0) return;
    TEventUI e = MakeEvent(type, event->position(), event);
    DoEvent(e);
}

void CControlUI::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    TEventUI e = MakeEvent(UIEVENT_MOUSEMOVE, event->position(), event);
    DoEvent(e);
}

void CControlUI::enterEvent(QEnterEvent* event) {
    TEventUI e = MakeEvent(UIEVENT_MOUSEENTER, event->position());
    DoEvent(e);
}

void CControlUI::leaveEvent(QEvent*) {
    TEventUI e = MakeEvent(UIEVENT_MOUSELEAVE, mapFromGlobal(QCursor::pos()));
    DoEvent(e);
}

void CControlUI::wheelEvent(QWheelEvent* event) {
    event->accept();
    const QPoint delta = event->angleDelta();
    const int steps = delta.y() != 0 ? delta.y() : delta.x();
    if (steps == 0) return;
    TEventUI e = MakeEvent(UIEVENT_SCROLLWHEEL, event->position(), event);
    e.wParam = steps < 0 ? 1 : 0;  // 1: towards the user (down)
    e.lParam = steps;
    DoEvent(e);
}

void CControlUI::keyPressEvent(QKeyEvent* event) {
    event->accept();
    TEventUI e = MakeEvent(UIEVENT_KEYDOWN, mapFromGlobal(QCursor::pos()), event);
    e.chKey = VirtualKeyOf(event->key());
    e.wParam = static_cast<quintptr>(event->key());
    e.lParam = static_cast<qintptr>(event->nativeScanCode());
    DoEvent(e);
}

void CControlUI::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
    TEventUI e = MakeEvent(UIEVENT_KEYUP, mapFromGlobal(QCursor::pos()), event);
    e.chKey = VirtualKeyOf(event->key());
    e.wParam = static_cast<quintptr>(event->key());
    e.lParam = static_cast<qintptr>(event->nativeScanCode());
    DoEvent(e);
}

void CControlUI::focusInEvent(QFocusEvent* event) { HandleFocusChange(true, event->reason()); }

void CControlUI::focusOutEvent(QFocusEvent* event) { HandleFocusChange(false, event->reason()); }

void CControlUI::HandleFocusChange(bool gained, Qt::FocusReason reason) {
    TEventUI e = MakeEvent(gained ? UIEVENT_SETFOCUS : UIEVENT_KILLFOCUS);
    DoEvent(e);
    // Switching windows or opening a drop list moves Qt's focus away and back
    // again; the user's focus inside the window did not change.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    SendNotify(QString::fromLatin1(gained ? kNotifySetFocus : kNotifyKillFocus));
}

void CControlUI::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    TEventUI e = MakeEvent(UIEVENT_CONTEXTMENU, event->pos());
    DoEvent(e);
}

bool CControlUI::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const QString tip = GetToolTip();
        auto* help = static_cast<QHelpEvent*>(event);
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this);
        }
        return true;
    }
    return QWidget::event(event);
}

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
        focused_ = true;
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        focused_ = false;
        Invalidate();
        return;
    case UIEVENT_TIMER:
        SendNotify(QString::fromLatin1(kNotifyTimer), event.wParam, event.lParam);
        return;
    case UIEVENT_CONTEXTMENU:
        if (contextMenu_) {
            SendNotify(QString::fromLatin1(kNotifyMenu), event.wParam, event.lParam);
            return;
        }
        break;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
    case UIEVENT_WINDOWSIZE:
        // Qt tells every control the pointer crosses; passing these on
        // would make a parent think the pointer left it.
        return;
    default:
        break;
    }
    if (parent_) parent_->DoEvent(event);
}

// ---------------------------------------------------------------- painting

void CControlUI::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    DoPaint(painter, event->rect());
}

namespace {

// Whether `paint` reaches into a corner square that a rounded outline of
// radii `round` cuts off `r`. Elsewhere the rounding changes no pixel, and
// clipping to the rounded path (rasterised over the whole control) would
// only cost: a small repaint inside a large rounded card is the common case.
bool touchesRoundedCorner(const QRect& r, const QSize& round, const QRect& paint) {
    const int w = round.width() + 1, h = round.height() + 1;  // +1: the antialiased edge
    const QRect corners[] = {QRect(r.left(), r.top(), w, h), QRect(r.right() - w + 1, r.top(), w, h),
                             QRect(r.left(), r.bottom() - h + 1, w, h),
                             QRect(r.right() - w + 1, r.bottom() - h + 1, w, h)};
    for (const QRect& corner : corners)
        if (corner.intersects(paint)) return true;
    return false;
}

// Small rounded controls (keys, LEDs, buttons) repaint often and are painted
// through a mask; a large card repaints its corners rarely, and a mask and a
// layer of its size would cost megabytes.
constexpr int kMaskedPaintMaxArea = 160 * 160;

// What decides a mask; looked up on every paint of a small rounded control,
// so no string is built for it.
struct MaskKey {
    QSize size;
    QSize round;
    qreal dpr = 1.0;

    friend bool operator==(const MaskKey&, const MaskKey&) = default;
};

size_t qHash(const MaskKey& k, size_t seed = 0) {
    return qHashMulti(seed, k.size.width(), k.size.height(), k.round.width(), k.round.height(), k.dpr);
}

// An opaque rounded rectangle of the control's size on a transparent ground,
// kept for the sizes in use (a page has a handful).
QImage RoundedMask(const QSize& size, const QSize& round, qreal dpr) {
    static QCache<MaskKey, QImage> masks(8 * 1024);  // KiB
    const MaskKey key{size, round, dpr};
    if (const QImage* hit = masks.object(key)) return *hit;
    auto* mask = new QImage((QSizeF(size) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    mask->setDevicePixelRatio(dpr);
    mask->fill(Qt::transparent);
    {
        QPainter p(mask);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), round.width(), round.height());
        p.fillPath(path, Qt::black);
    }
    const QImage result = *mask;  // shared, and still valid if the cache refuses it
    masks.insert(key, mask, static_cast<qint64>(mask->sizeInBytes() / 1024) + 1);
    return result;
}

// The layer a small rounded control is painted into, kept between paints
// for each size in use: an image keeps the paint engine it was painted with,
// and setting one up for a fresh image costs more than painting an LED.
// Painting happens on the UI thread only.
QImage& ReusedLayer(const QSize& pixels) {
    static QHash<QSize, QImage> layers;
    constexpr qsizetype kSizesKept = 16;
    auto it = layers.find(pixels);
    if (it != layers.end()) return *it;
    if (layers.size() >= kSizesKept) layers.clear();
    return *layers.insert(pixels, QImage(pixels, QImage::Format_ARGB32_Premultiplied));
}

}  // namespace

void CControlUI::DoPaint(QPainter& painter, const QRect& rcPaint) {
    const QSize round = GetBorderRound();
    const bool rounded = round.width() > 0 && round.height() > 0 && touchesRoundedCorner(rect(), round, rcPaint);
    painter.save();
    if (rounded && width() * height() <= kMaskedPaintMaxArea) {
        PaintLayersRounded(painter, rcPaint & rect(), round);
    } else {
        if (rounded) {
            QPainterPath path;
            path.addRoundedRect(QRectF(rect()), round.width(), round.height());
            painter.setClipPath(path, Qt::IntersectClip);
        }
        PaintLayers(painter);
    }
    // Text keeps clear of the corners (insets), so it needs no rounding.
    PaintText(painter);
    painter.restore();
    // The border runs along the edges (and through the corners when
    // rounded): a repaint well inside the control does not reach it.
    const int edge = GetBorderSize() + 1;
    if (rounded || !rect().adjusted(edge, edge, -edge, -edge).contains(rcPaint)) PaintBorder(painter);
}

void CControlUI::PaintLayers(QPainter& painter) {
    PaintBkColor(painter);
    PaintBkImage(painter);
    PaintStatusImage(painter);
    PaintForeImage(painter);
}

// The layers of a small rounded control are painted into an image that is then cut to the rounded
// outline with a cached mask and copied out. Clipping the widget's painter to
// the rounded path instead makes every fill and image below run through the
// antialiased outline's many spans, which Qt splits across its worker
// threads: an animated round LED then costs thread wake-ups on every frame.
void CControlUI::PaintLayersRounded(QPainter& painter, const QRect& area, const QSize& round) {
    if (area.isEmpty()) return;
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QImage& layer = ReusedLayer((QSizeF(area.size()) * dpr).toSize());
    if (layer.isNull()) return;
    layer.setDevicePixelRatio(dpr);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHints(painter.renderHints());
        p.setFont(painter.font());
        p.translate(-area.topLeft());
        PaintLayers(p);
        p.resetTransform();
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        const QImage mask = RoundedMask(size(), round, dpr);
        p.drawImage(QPointF(0, 0), mask, QRectF(QPointF(area.topLeft()) * dpr, QSizeF(layer.size())));
    }
    painter.drawImage(area.topLeft(), layer);
}

void CControlUI::PaintBkColor(QPainter& painter) {
    if (!bkColor_.isValid()) return;
    if (bkColor2_.isValid()) {
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, bkColor_);
        gradient.setColorAt(1, bkColor2_);
        painter.fillRect(rect(), gradient);
    } else if (bkColor_.alpha() > 0) {
        painter.fillRect(rect(), bkColor_);
    }
}

void CControlUI::PaintBkImage(QPainter& painter) {
    if (!bkImage_.isEmpty()) DrawImage(painter, bkImage_);
}

void CControlUI::PaintStatusImage(QPainter&) {}

void CControlUI::PaintForeImage(QPainter& painter) {
    if (!foreImage_.isEmpty()) DrawImage(painter, foreImage_);
}

void CControlUI::PaintText(QPainter&) {}

void CControlUI::PaintBorder(QPainter& painter) {
    const int size = GetBorderSize();
    if (size <= 0) return;
    const QColor color =
        (focused_ && focusBorderColor_.isValid()) ? focusBorderColor_ : borderColor_;
    if (!color.isValid() || color.alpha() == 0) return;
    QPen pen(color, size);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.save();
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal half = size / 2.0;
    const QRectF r = QRectF(rect()).adjusted(half, half, -half, -half);
    const QSize round = GetBorderRound();
    if (round.width() > 0 && round.height() > 0) {
        painter.drawRoundedRect(r, qMax(0.0, round.width() - half), qMax(0.0, round.height() - half));
    } else {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.drawRect(QRect(rect().adjusted(size / 2, size / 2, -(size + 1) / 2, -(size + 1) / 2)));
    }
    painter.restore();
}

}  // namespace talven::ui
