// CPaintManagerUI: the tree, finding, notifications, timers, option groups
// and layout scheduling. Fonts, dpi, window settings and paths are in
// paint_manager_style.cpp.

#include "ui/paint_manager.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>

#include <algorithm>

#include "platform/clock.h"
#include "platform/debug_output.h"
#include "ui/control.h"

namespace talven::ui {

QList<CPaintManagerUI*>& LiveManagers() {
    static QList<CPaintManagerUI*> managers;
    return managers;
}

CPaintManagerUI::CPaintManagerUI() { LiveManagers().append(this); }

CPaintManagerUI::~CPaintManagerUI() {
    LiveManagers().removeOne(this);
    RemoveAllTimers();
    // Controls that outlive their window (detached subtrees) must not call
    // back into a manager that is gone.
    for (CControlUI* control : std::as_const(controls_)) control->manager_ = nullptr;
    controls_.clear();
}

void CPaintManagerUI::Init(QWidget* paintWindow, const QString& name) {
    paintWindow_ = paintWindow;
    name_ = name;
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
    if (!root) return false;
    root_ = root;
    if (paintWindow_) {
        root->setParent(paintWindow_);
        root->ApplyQtVisibility();
    }
    InitControls(root);
    if (paintWindow_) root->SetPos(paintWindow_->rect());
    return true;
}

bool CPaintManagerUI::InitControls(CControlUI* control) {
    if (!control) return false;
    control->SetManager(this, true);
    return true;
}

void CPaintManagerUI::RegisterControl(CControlUI* control) { controls_.insert(control); }

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    controls_.remove(control);
    KillTimer(control);
    for (auto it = optionGroups_.begin(); it != optionGroups_.end();) {
        it->removeAll(control);
        it = it->isEmpty() ? optionGroups_.erase(it) : std::next(it);
    }
    layoutPending_.remove(control);
    if (root_ == control) root_ = nullptr;
}

// ---------------------------------------------------------------- finding

CControlUI* CPaintManagerUI::FindControl(const QString& name) const {
    if (!root_ || name.isEmpty()) return nullptr;
    return root_->FindControl([&](CControlUI* c) { return c->GetName() == name; });
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const QString& name) const {
    if (!parent || name.isEmpty()) return nullptr;
    return parent->FindControl([&](CControlUI* c) { return c != parent && c->GetName() == name; });
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* parent, const QString& className,
                                                   int index) const {
    if (!parent) return nullptr;
    int seen = 0;
    return parent->FindControl([&](CControlUI* c) {
        return c != parent && c->GetClass() == className && seen++ == index;
    });
}

QList<CControlUI*> CPaintManagerUI::FindSubControlsByClass(CControlUI* parent,
                                                           const QString& className) const {
    QList<CControlUI*> found;
    if (!parent) return found;
    parent->FindControl([&](CControlUI* c) {
        if (c != parent && c->GetClass() == className) found.append(c);
        return false;
    });
    return found;
}

CControlUI* CPaintManagerUI::GetFocus() const {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        auto* control = qobject_cast<CControlUI*>(w);
        if (control && control->GetManager() == this) return control;
    }
    return nullptr;
}

// ---------------------------------------------------------------- notifications

void CPaintManagerUI::SendNotify(CControlUI* control, const QString& type, quintptr wParam,
                                 qintptr lParam, bool async) {
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = control;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, async);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async) {
    msg.dwTimestamp = tickCount();
    if (paintWindow_) msg.ptMouse = paintWindow_->mapFromGlobal(QCursor::pos());
    if (msg.sVirtualWnd.isEmpty() && msg.pSender) msg.sVirtualWnd = msg.pSender->GetVirtualWnd();
    if (!async) {
        Dispatch(msg);
        return;
    }
    QPointer<CControlUI> sender = msg.pSender;
    const bool hadSender = msg.pSender != nullptr;
    QMetaObject::invokeMethod(
        this,
        [this, msg, sender, hadSender] {
            if (hadSender && !sender) return;  // the sender is gone
            Dispatch(msg);
        },
        Qt::QueuedConnection);
}

void CPaintManagerUI::Dispatch(TNotifyUI msg) {
    // A handler may remove notifiers, destroy the sender or close the window.
    QPointer<CPaintManagerUI> self(this);
    QPointer<CControlUI> sender = msg.pSender;
    const bool hadSender = msg.pSender != nullptr;
    const QList<INotifyUI*> notifiers = notifiers_;
    for (INotifyUI* notifier : notifiers) {
        if (!self || (hadSender && !sender)) return;
        if (!notifiers_.contains(notifier)) continue;
        notifier->Notify(msg);
    }
    if (!self || (hadSender && !sender) || msg.sVirtualWnd.isEmpty()) return;
    if (INotifyUI* target = virtualWnds_.value(msg.sVirtualWnd)) target->Notify(msg);
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (!notifier || notifiers_.contains(notifier)) return false;
    notifiers_.append(notifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) { return notifiers_.removeOne(notifier); }

bool CPaintManagerUI::AddVirtualWnd(const QString& name, INotifyUI* target) {
    if (name.isEmpty() || !target || virtualWnds_.contains(name)) return false;
    virtualWnds_.insert(name, target);
    return true;
}

bool CPaintManagerUI::RemoveVirtualWnd(const QString& name) { return virtualWnds_.remove(name) > 0; }

INotifyUI* CPaintManagerUI::GetVirtualWnd(const QString& name) const { return virtualWnds_.value(name); }

// ---------------------------------------------------------------- timers

bool CPaintManagerUI::SetTimer(CControlUI* control, uint id, uint elapseMs) {
    if (!control) return false;
    QTimer*& timer = timers_[control][id];
    if (!timer) {
        timer = new QTimer(this);
        QPointer<CControlUI> target(control);
        connect(timer, &QTimer::timeout, this, [target, id] {
            if (!target) return;
            TEventUI e;
            e.Type = UIEVENT_TIMER;
            e.pSender = target;
            e.dwTimestamp = tickCount();
            e.wParam = id;
            target->DoEvent(e);
        });
    }
    timer->start(static_cast<int>(qMin<uint>(elapseMs, INT_MAX)));
    return true;
}

// A killed timer is stopped, not deleted: a control that starts and stops
// the same timer many times a second (a render timer parking between
// frames) then costs no allocation and no deferred delete each time.
bool CPaintManagerUI::KillTimer(CControlUI* control, uint id) {
    const auto it = timers_.constFind(control);
    if (it == timers_.cend()) return false;
    QTimer* timer = it->value(id);
    if (!timer || !timer->isActive()) return false;
    timer->stop();
    return true;
}

bool CPaintManagerUI::HasTimer(CControlUI* control, uint id) const {
    const auto it = timers_.constFind(control);
    if (it == timers_.cend()) return false;
    const QTimer* timer = it->value(id);
    return timer && timer->isActive();
}

void CPaintManagerUI::KillTimer(CControlUI* control) {
    const QHash<uint, QTimer*> timers = timers_.take(control);
    for (QTimer* timer : timers) {
        timer->stop();
        timer->deleteLater();
    }
}

void CPaintManagerUI::RemoveAllTimers() {
    for (const auto& perControl : std::as_const(timers_)) {
        for (QTimer* timer : perControl) {
            timer->stop();
            timer->deleteLater();
        }
    }
    timers_.clear();
}

// ---------------------------------------------------------------- option groups

void CPaintManagerUI::AddOptionGroup(const QString& group, CControlUI* option) {
    if (group.isEmpty() || !option) return;
    QList<CControlUI*>& members = optionGroups_[group];
    if (!members.contains(option)) members.append(option);
}

QList<CControlUI*> CPaintManagerUI::GetOptionGroup(const QString& group) const {
    return optionGroups_.value(group);
}

void CPaintManagerUI::RemoveOptionGroup(const QString& group, CControlUI* option) {
    auto it = optionGroups_.find(group);
    if (it == optionGroups_.end()) return;
    it->removeAll(option);
    if (it->isEmpty()) optionGroups_.erase(it);
}

void CPaintManagerUI::RemoveAllOptionGroups() { optionGroups_.clear(); }

// ---------------------------------------------------------------- layout

void CPaintManagerUI::ScheduleLayout(CControlUI* control) {
    layoutPending_.insert(control);
    if (layoutPosted_) return;
    layoutPosted_ = true;
    QMetaObject::invokeMethod(this, [this] { UpdateLayout(); }, Qt::QueuedConnection);
}

void CPaintManagerUI::NeedUpdate() {
    if (root_) root_->NeedUpdate();
}

void CPaintManagerUI::UpdateLayout() {
    layoutPosted_ = false;
    if (layoutPending_.isEmpty()) return;
    QList<CControlUI*> pending(layoutPending_.begin(), layoutPending_.end());
    layoutPending_.clear();
    auto depth = [](const CControlUI* c) {
        int d = 0;
        for (const CControlUI* p = c->GetParent(); p; p = p->GetParent()) ++d;
        return d;
    };
    std::sort(pending.begin(), pending.end(),
              [&](const CControlUI* a, const CControlUI* b) { return depth(a) < depth(b); });
    QSet<CControlUI*> done;
    for (CControlUI* control : pending) {
        bool covered = false;
        for (CControlUI* p = control->GetParent(); p && !covered; p = p->GetParent()) covered = done.contains(p);
        if (covered) continue;
        done.insert(control);
        if (control == root_ && paintWindow_) control->SetPos(paintWindow_->rect(), true);
        else control->SetPos(control->GetPos(), true);
    }
}

void CPaintManagerUI::Invalidate() {
    if (paintWindow_) paintWindow_->update();
}

}  // namespace talven::ui
