// CMainWnd: size, position, bringing the window to the front, the
// no-device overlay, language and fonts, and the layout builder's callback.

#include "app/app_messages.h"
#include "app/main_wnd.h"
#include "app/set_wnd.h"
#include "platform/app_paths.h"
#include "platform/debug_output.h"
#include "platform/settings_store.h"
#include "ui/control.h"
#include "ui/dpi.h"
#include "ui/resource_manager.h"

#include <QFontDatabase>

#include <array>

namespace talven {

using namespace ui;

namespace {

constexpr QSize kDesignSize(1350, 810);

// Faces a language asks for come from another desktop; where the machine
// lacks one, the skin's own face (or the closest we ship) keeps the look.
constexpr std::array<const char*, 5> kFallbackFaces = {"Noto Sans", "Noto Sans CJK SC", "WenQuanYi Micro Hei",
                                                        "DejaVu Sans", "Sans Serif"};

QString installedFace(const QString& wanted) {
    if (QFontDatabase::hasFamily(wanted)) return wanted;
    for (const char* face : kFallbackFaces) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(face))) return QString::fromLatin1(face);
    }
    return wanted;
}

struct FontSlot {
    int id;
    int size;
    bool bold;
    bool underline;
};

// Slot -1 is the default font.
constexpr std::array<FontSlot, 14> kFontSlots = {{
    {0, 15, true, false},  {-1, 15, false, false}, {1, 14, false, true},  {2, 18, false, false},
    {3, 30, false, false}, {4, 16, false, false},  {5, 20, false, false}, {6, 22, false, false},
    {7, 14, false, false}, {8, 12, false, false},  {9, 11, false, false}, {10, 10, false, false},
    {11, 28, false, false}, {50, 18, true, false},
}};

}  // namespace

void CMainWnd::FitToScreen() {
    const bool wasShown = isVisible() && !isMinimized();
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!CDPI::IsWindowScale(screenScale_)) {
        debugOutput("MAIN_WND DPI SET ERROR");
        screenScale_ = 96;
    }
    CPaintManagerUI::SetAllDPI(96);
    resize(kDesignSize);
    CPaintManagerUI::SetAllDPI(screenScale_);
    CenterWindow();
    setVisible(wasShown);
}

void CMainWnd::BringToFront() {
    UpdateNoDeviceOverlay();
    SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    ShowWindow(true);
}

void CMainWnd::UpdateNoDeviceOverlay() {
    const bool none = !AnyDeviceVisible();
    if (CControlUI* overlay = Find("No_device_Link")) overlay->SetVisible(none);
    debugOutputf("No_device_Link %s", none ? "shown" : "hidden");
}

void CMainWnd::SetSkinFonts(const QString& wantedFace) {
    const QString face = installedFace(wantedFace);
    m_pm.RemoveAllFonts(true);
    m_pm.RemoveAllFonts(false);
    for (const FontSlot& slot : kFontSlots) {
        if (slot.id < 0) {
            m_pm.SetDefaultFont(face, slot.size, slot.bold, slot.underline, false, true);
        } else {
            m_pm.AddFont(slot.id, face, slot.size, slot.bold, slot.underline, false, true);
        }
    }
}

void CMainWnd::ApplyLanguage(int index) {
    if (index == currentLanguage_) return;
    if (const auto face = faceForLanguageIndex(index)) SetSkinFonts(QString::fromStdString(*face));
    currentLanguage_ = index;
    languages_ = readLanguageList(paths::defaultDataFolder() + "Language.config");
    LanguageEntry entry;
    if (index >= 0 && index < static_cast<int>(languages_.size())) entry = languages_[index];
    auto* resources = CResourceManager::GetInstance();
    resources->SetLanguage(QString::fromStdString(entry.name));
    if (!entry.file.empty()) resources->LoadLanguage(QString::fromStdString(entry.file));
    resources->ReloadText();
    if (!entry.file.empty()) {
        SettingsStore settings;
        // SaveLanguageId reports its own success.
        SaveLanguageId(settings, entry.id);
    }
    update();
    if (settingsWnd_) settingsWnd_->SendMessage(mainmsg::kApplyLanguage, 0, 0);
    m_pm.NeedUpdate();
}

}  // namespace talven
