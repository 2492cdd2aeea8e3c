// WindowImplBase: creation, window events, closing and modality. Message
// passing and timers are in window_messages.cpp.

#include "ui/window_impl_base.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "platform/debug_output.h"
#include "ui/control.h"
#include "ui/dialog_builder.h"

namespace talven::ui {

WindowImplBase::WindowImplBase() {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMouseTracking(true);
}

WindowImplBase::~WindowImplBase() {
    for (QTimer* timer : std::as_const(timers_)) timer->stop();
    m_pm.RemoveNotifier(this);
    // The controls go while their manager is still there.
    delete m_pm.GetRoot();
}

bool WindowImplBase::Create(QWidget* parent, const QString& title, quint32 style, quint32 exStyle,
                            int x, int y, int cx, int cy) {
    if (created_) return false;
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    if (exStyle & WS_EX_TOOLWINDOW) flags |= Qt::Tool;
    if (exStyle & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
    setParent(parent, flags);
    // Secondary windows must not end the program when they close.
    setAttribute(Qt::WA_QuitOnClose, parent == nullptr);
    setWindowTitle(title);
    m_pm.Init(this, GetWindowClassName());
    m_pm.AddNotifier(this);

    CDialogBuilder builder;
    CControlUI* root = builder.Create(GetSkinFile(), {}, this, &m_pm);
    if (!root) {
        debugOutput(("window " + GetWindowClassName() + ": skin '" + GetSkinFile() + "' could not be built")
                        .toStdString());
        m_pm.RemoveNotifier(this);
        return false;
    }
    m_pm.AttachDialog(root);
    ApplyWindowSizeLimits();
    const QSize init = m_pm.GetInitSize();
    if (!init.isEmpty()) resize(init);
    else if (cx != CW_USEDEFAULT && cy != CW_USEDEFAULT) resize(cx, cy);
    else resize(400, 300);
    if (x != CW_USEDEFAULT && y != CW_USEDEFAULT) move(x, y);
    root->SetPos(rect());
    connect(&m_pm, &CPaintManagerUI::dpiChanged, this, [this] { ApplyWindowSizeLimits(); });
    created_ = true;

    InitWindow();
    QMetaObject::invokeMethod(this, [this] { DeliverWindowInit(); }, Qt::QueuedConnection);
    if (style & WS_VISIBLE) show();
    return true;
}

void WindowImplBase::DeliverWindowInit() {
    if (windowInitSent_ || destroyed_ || !m_pm.GetRoot()) return;
    windowInitSent_ = true;
    m_pm.SendNotify(m_pm.GetRoot(), QString::fromLatin1(kNotifyWindowInit));
}

void WindowImplBase::ApplyWindowSizeLimits() {
    const QSize min = m_pm.GetMinInfo();
    const QSize max = m_pm.GetMaxInfo();
    setMinimumSize(min.isEmpty() ? QSize(0, 0) : min);
    setMaximumSize(max.isEmpty() ? QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX) : max);
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (!msg.sVirtualWnd.isEmpty() && m_pm.GetVirtualWnd(msg.sVirtualWnd)) return;
    if (LoopDispatch(msg)) return;
    if (msg.sType == QLatin1String(kNotifyClick)) OnClick(msg);
}

// ---------------------------------------------------------------- closing

void WindowImplBase::Close(int result) {
    if (destroyed_) return;
    closeResult_ = result;
    closeApproved_ = false;
    QWidget::close();
}

void WindowImplBase::closeEvent(QCloseEvent* event) {
    if (destroyed_) {
        event->accept();
        return;
    }
    if (!closeApproved_) {
        bool handled = false;
        HandleCustomMessage(WM_CLOSE, static_cast<quintptr>(closeResult_), 0, handled);
        if (handled) {
            event->ignore();
            return;
        }
    }
    closeApproved_ = false;
    event->accept();
    FinishClose();
}

void WindowImplBase::FinishClose() {
    destroyed_ = true;
    for (QTimer* timer : std::as_const(timers_)) timer->deleteLater();
    timers_.clear();
    bool handled = false;
    HandleCustomMessage(WM_DESTROY, 0, 0, handled);
    if (modalLoop_) modalLoop_->exit(closeResult_);
    QMetaObject::invokeMethod(this, [this] { OnFinalMessage(); }, Qt::QueuedConnection);
}

int WindowImplBase::ShowModal() {
    if (modalLoop_ || destroyed_ || !created_) return -1;
    if (isVisible()) hide();
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    QPointer<WindowImplBase> guard(this);
    const int result = loop.exec(QEventLoop::DialogExec);
    if (guard) guard->modalLoop_ = nullptr;
    return result;
}

// ---------------------------------------------------------------- showing

void WindowImplBase::CenterWindow() {
    QRect area;
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect screenArea = s ? s->availableGeometry() : QRect();
    area = (owner && owner->isVisible()) ? owner->frameGeometry() : screenArea;
    QRect g = frameGeometry();
    g.moveCenter(area.center());
    if (!screenArea.isEmpty()) {
        g.moveLeft(qBound(screenArea.left(), g.left(), qMax(screenArea.left(), screenArea.right() - g.width() + 1)));
        g.moveTop(qBound(screenArea.top(), g.top(), qMax(screenArea.top(), screenArea.bottom() - g.height() + 1)));
    }
    move(g.topLeft());
}

void WindowImplBase::ShowWindow(bool show, bool takeFocus) {
    if (!show) {
        hide();
        return;
    }
    setAttribute(Qt::WA_ShowWithoutActivating, !takeFocus);
    QWidget::show();
    if (takeFocus) {
        raise();
        activateWindow();
    }
}

// ---------------------------------------------------------------- window events

void WindowImplBase::resizeEvent(QResizeEvent*) {
    CControlUI* root = m_pm.GetRoot();
    if (root) root->SetPos(rect());
    const QSize round = m_pm.GetRoundCorner();
    if (round.width() > 0 && round.height() > 0) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), round.width(), round.height());
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    }
    if (!created_ || !root || windowSizePosted_) return;
    // Several resizes in a row make one notification.
    windowSizePosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            windowSizePosted_ = false;
            if (!destroyed_ && m_pm.GetRoot()) m_pm.SendNotify(m_pm.GetRoot(), QString::fromLatin1(kNotifyWindowSize));
        },
        Qt::QueuedConnection);
}

void WindowImplBase::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && created_ && !destroyed_) {
        HandleMessage(WM_ACTIVATE, isActiveWindow() ? WA_ACTIVE : WA_INACTIVE, 0);
    }
    QWidget::changeEvent(event);
}

void WindowImplBase::enterEvent(QEnterEvent*) {
    if (created_ && !destroyed_) HandleMessage(WM_MOUSEHOVER, 0, 0);
}

void WindowImplBase::leaveEvent(QEvent*) {
    if (created_ && !destroyed_) HandleMessage(WM_MOUSELEAVE, 0, 0);
}

// An opaque window colour covers whatever Qt would fill under it first: the
// window then tells Qt to skip that fill, which on every small repaint (an
// LED preview) costs as much as the fill here.
void WindowImplBase::paintEvent(QPaintEvent*) {
    const QColor bk = m_pm.GetWindowBkColor();
    const bool opaque = bk.isValid() && bk.alpha() == 255;
    if (testAttribute(Qt::WA_OpaquePaintEvent) != opaque) {
        setAttribute(Qt::WA_OpaquePaintEvent, opaque);
        if (!opaque) update();  // this paint went without Qt's fill: once more with it
    }
    if (!bk.isValid()) return;
    QPainter painter(this);
    painter.fillRect(rect(), bk);
}

void WindowImplBase::mousePressEvent(QMouseEvent* event) {
    // Only presses that no control took reach the window itself.
    if (event->button() == Qt::LeftButton && windowHandle()) {
        if (const auto hit = m_pm.HitTestFrame(event->position().toPoint())) {
            if (*hit == Qt::Edges()) windowHandle()->startSystemMove();
            else if (!isMaximized()) windowHandle()->startSystemResize(*hit);
        }
    }
    event->accept();
}

void WindowImplBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    WatchScreens();
}

void WindowImplBase::WatchScreens() {
    if (screensWatched_ || !windowHandle()) return;
    screensWatched_ = true;
    lastDpr_ = windowHandle()->devicePixelRatio();
    connect(windowHandle(), &QWindow::screenChanged, this, [this] { OnScreenChanged(); });
    auto* app = qobject_cast<QGuiApplication*>(QGuiApplication::instance());
    if (!app) return;
    connect(app, &QGuiApplication::screenAdded, this, [this] { OnDisplayChanged(); });
    connect(app, &QGuiApplication::screenRemoved, this, [this] { OnDisplayChanged(); });
    for (QScreen* s : QGuiApplication::screens()) {
        connect(s, &QScreen::geometryChanged, this, [this] { OnDisplayChanged(); });
    }
}

void WindowImplBase::OnScreenChanged() {
    if (destroyed_ || !windowHandle()) return;
    const qreal dpr = windowHandle()->devicePixelRatio();
    if (!qFuzzyCompare(dpr, lastDpr_)) {
        lastDpr_ = dpr;
        m_pm.ResetDPIAssets();
        QRect suggested = frameGeometry();
        const quint16 dpi = static_cast<quint16>(m_pm.GetDPI());
        HandleMessage(WM_DPICHANGED, MAKELONG(dpi, dpi), reinterpret_cast<qintptr>(&suggested));
    }
}

void WindowImplBase::OnDisplayChanged() {
    if (destroyed_) return;
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QSize size = s->geometry().size();
    HandleMessage(WM_DISPLAYCHANGE, static_cast<quintptr>(s->depth()),
                  static_cast<qintptr>(MAKELONG(static_cast<quint16>(size.width()), static_cast<quint16>(size.height()))));
}

}  // namespace talven::ui
