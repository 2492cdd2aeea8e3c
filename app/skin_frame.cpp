#include "app/skin_frame.h"

#include "app/msg_wnd.h"
#include "app/skin_settings.h"
#include "platform/app_paths.h"
#include "platform/debug_output.h"
#include "ui/control.h"
#include "ui/layouts.h"
#include "ui/option.h"
#include "ui/render_engine.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QPointer>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>

namespace talven {

using namespace ui;

namespace {

// The main window's design size: the user's picture is cut to its shape
// (centred) so it is not stretched out of proportion, and kept at no more
// than twice that for dense screens.
constexpr QSize kBackgroundShape(1350, 810);
constexpr QSize kLargestBackground(2700, 1620);

QImage fitToWindowShape(const QImage& image) {
    QSize crop = kBackgroundShape.scaled(image.size(), Qt::KeepAspectRatio);
    QRect area(QPoint(0, 0), crop);
    area.moveCenter(image.rect().center());
    QImage cut = image.copy(area);
    if (cut.width() > kLargestBackground.width())
        cut = cut.scaled(kLargestBackground, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return cut;
}

bool saveAtomically(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace

SkinObserver& skinObserver() {
    static SkinObserver observer;
    return observer;
}

SkinFrameDialogs defaultSkinFrameDialogs() {
    SkinFrameDialogs dialogs;
    dialogs.chooseImage = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(),
                                            QStringLiteral("PNG (*.png);;* (*)"));
    };
    dialogs.tell = [](QWidget* parent, const QString& key) {
        ShowMessageBox(parent, QString(), key, 96, true, kMsgButtonsConfirm);
    };
    return dialogs;
}

void applySkinChoice(const SkinChangedParam& choice) {
    skinObserver().Broadcast(choice);
    if (!writeSkinChoice(skinSettingsPath(), choice)) debugOutput("main.ini could not be written");
}

bool applyCustomImage(QWidget* parent, const QString& chosen, const SkinFrameDialogs& dialogs) {
    if (chosen.isEmpty()) return false;
    QImageReader reader(chosen);
    const QImage image = reader.read();
    if (image.isNull()) {
        debugOutputf("skin: %s is not a picture: %s", chosen.toUtf8().constData(),
                     reader.errorString().toUtf8().constData());
        if (dialogs.tell) dialogs.tell(parent, QStringLiteral("skin_custom_bad"));
        return false;
    }
    const QString kept = QString::fromStdString(paths::dataFolder()) + QLatin1String(kCustomBackgroundFile);
    if (!saveAtomically(fitToWindowShape(image), kept)) {
        if (dialogs.tell) dialogs.tell(parent, QStringLiteral("skin_custom_not_saved"));
        return false;
    }
    // The same file name holds a new picture: forget the old one's pixels.
    CRenderEngine::ClearImageCache();
    SkinChangedParam choice;
    choice.bkImage = kept;
    applySkinChoice(choice);
    return true;
}

CSkinFrame::CSkinFrame(QWidget* owner, SkinFrameDialogs dialogs) : owner_(owner), dialogs_(std::move(dialogs)) {}

CSkinFrame* CSkinFrame::Open(QWidget* owner, CControlUI* button, SkinFrameDialogs dialogs) {
    auto* frame = new CSkinFrame(owner, std::move(dialogs));
    if (!frame->Create(nullptr, QStringLiteral("skinframe"), WS_POPUP,
                       WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) {
        delete frame;
        return nullptr;
    }
    frame->PlaceBelow(button);
    // Shown with the focus: losing it is what closes the frame.
    frame->ShowWindow(true, true);
    return frame;
}

void CSkinFrame::PlaceBelow(CControlUI* button) {
    if (!button) {
        CenterWindow();
        return;
    }
    const QPoint corner = button->mapToGlobal(QPoint(button->width(), button->height()));
    QPoint topLeft(corner.x() - width(), corner.y());
    if (const QScreen* s = QGuiApplication::screenAt(corner)) {
        const QRect area = s->availableGeometry();
        topLeft.setX(qBound(area.left(), topLeft.x(), qMax(area.left(), area.right() - width() + 1)));
        topLeft.setY(qBound(area.top(), topLeft.y(), qMax(area.top(), area.bottom() - height() + 1)));
    }
    move(topLeft);
}

void CSkinFrame::SelectTab(int page) {
    if (auto* tab = qobject_cast<CTabLayoutUI*>(m_pm.FindControl(QStringLiteral("skin_tab")))) tab->SelectItem(page);
    // The tab buttons show the page, however it was chosen.
    const QString button = page == 1 ? QStringLiteral("skin_color") : QStringLiteral("skin_image");
    if (auto* option = qobject_cast<COptionUI*>(m_pm.FindControl(button))) option->Selected(true, false);
}

void CSkinFrame::Notify(TNotifyUI& msg) {
    if (msg.sType != QLatin1String(kNotifyClick) || !msg.pSender) return;
    const QString name = msg.pSender->GetName();
    if (name == QLatin1String("skin_image_btn")) {
        SkinChangedParam choice;
        choice.bkImage = msg.pSender->GetBkImage();
        applySkinChoice(choice);
    } else if (name == QLatin1String("skin_color_btn")) {
        SkinChangedParam choice;
        choice.colour = true;
        choice.bkColor = msg.pSender->GetBkColor().rgba();
        applySkinChoice(choice);
    } else if (name == QLatin1String("skin_color")) {
        SelectTab(1);
    } else if (name == QLatin1String("skin_image")) {
        SelectTab(0);
    } else if (name == QLatin1String("skin_reset")) {
        SkinChangedParam choice;
        choice.bkImage = QString::fromLatin1(kDefaultBackground);
        applySkinChoice(choice);
    } else if (name == QLatin1String("skin_Custom")) {
        ChooseCustomImage();
    }
}

// The dialog takes the focus, which closes the frame; it runs from the
// owner's event loop once the frame's notification is over, since the
// frame is gone by the time the user has chosen.
void CSkinFrame::ChooseCustomImage() {
    QPointer<QWidget> owner = owner_;
    QTimer::singleShot(0, owner_ ? static_cast<QObject*>(owner_) : qApp, [owner, dialogs = dialogs_] {
        if (!dialogs.chooseImage) return;
        const QString chosen = dialogs.chooseImage(owner.data());
        applyCustomImage(owner.data(), chosen, dialogs);
    });
    Close(0);
}

qintptr CSkinFrame::HandleCustomMessage(uint msg, quintptr wParam, qintptr, bool& handled) {
    handled = false;
    if (msg == WM_ACTIVATE && wParam == WA_INACTIVE && isVisible()) Close(0);
    return 0;
}

void CSkinFrame::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Close(0);
        return;
    }
    WindowImplBase::keyPressEvent(event);
}

}  // namespace talven
