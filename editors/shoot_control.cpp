// CShootControlUI: choosing guns and bullets, and the gun files.

#include "editors/shoot_control.h"

#include "platform/atomic_file.h"
#include "profile/json_document.h"
#include "profile/json_file.h"
#include "ui/edit.h"
#include "ui/option.h"
#include "ui/paint_manager.h"

#include <algorithm>

namespace talven {

using namespace ui;

namespace {

// The language keys of what the panel tells the user.
const QString kTextDamaged = QStringLiteral("shoot_text_damaged");
const QString kTextBadValue = QStringLiteral("shoot_text_bad_value");
const QString kTextNotWritten = QStringLiteral("shoot_text_not_written");
const QString kTextImportInvalid = QStringLiteral("shoot_text_import_invalid");
const QString kTextNoFactory = QStringLiteral("shoot_text_no_factory");

constexpr const char* kFixedControls[] = {
    "shoot_image_display_switch", "shootdate_import_btn", "shootdate_export_btn", "shootdate_save_btn",
    "shootdate_reset_btn", "bullet_edit_layout", "bullet_select_index", "bullet_selected_prev",
    "bullet_selected_next", "bullet_x_check", "bullet_y_check", "bullet_x_eidt", "bullet_y_eidt",
    "bullet_delay_eidt"};

// Plain decimal digits only, so "12abc" or "-3" is refused, not read as 12 or 0.
bool decimal(const QString& text, int& value) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 9) return false;
    for (QChar c : trimmed)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    value = trimmed.toInt();
    return true;
}

void setSelected(CControlUI* control, bool on) {
    if (auto* option = qobject_cast<COptionUI*>(control)) option->Selected(on, false);
}

bool isSelected(CControlUI* control) {
    auto* option = qobject_cast<COptionUI*>(control);
    return option && option->IsSelected();
}

}  // namespace

CShootControlUI::CShootControlUI() = default;
CShootControlUI::~CShootControlUI() = default;

CControlUI* CShootControlUI::sub(const QString& name) const {
    CPaintManagerUI* manager = GetManager();
    return manager ? manager->FindSubControlByName(const_cast<CShootControlUI*>(this), name) : nullptr;
}

CControlUI* CShootControlUI::numbered(const char* prefix, int index) const {
    return sub(QString::fromLatin1(prefix) + QString::number(index));
}

bool CShootControlUI::bindControls() {
    bound_ = false;
    for (const char* name : kFixedControls)
        if (!sub(name)) return false;
    for (int gun = 0; gun < kShootGunCount; ++gun)
        if (!qobject_cast<COptionUI*>(numbered("shoot_gun_op_", gun))) return false;
    for (int bullet = 0; bullet < kShootBulletCount; ++bullet)
        if (!qobject_cast<COptionUI*>(numbered("bullet_op_", bullet))) return false;
    bound_ = qobject_cast<CTabLayoutUI*>(sub("shoot_image_display_switch")) != nullptr;
    return bound_;
}

void CShootControlUI::provideWorkingFiles() {
    for (int gun = 0; gun < kShootGunCount; ++gun) {
        if (readRegularFile(workingFile(gun)).state != FileReadState::missing) continue;
        const FileRead factory = readRegularFile(factoryFile(gun));
        if (factory.state == FileReadState::ok) writeFileAtomically(workingFile(gun), factory.bytes);
    }
}

// Another gun's bullet is shown at once: edits left showing the previous
// gun's numbers would be saved into this gun's file.
QString CShootControlUI::selectGun(int gun) {
    if (!bound_) return {};
    gun_ = std::clamp(gun, 0, kShootGunCount - 1);
    for (int n = 0; n < kShootGunCount; ++n) setSelected(numbered("shoot_gun_op_", n), false);
    setSelected(numbered("shoot_gun_op_", gun_), true);
    static_cast<CTabLayoutUI*>(sub("shoot_image_display_switch"))->SelectItem(gun_, false);
    return loadBullet();
}

QString CShootControlUI::selectBullet(int bullet) {
    if (!bound_) return {};
    bullet_ = std::clamp(bullet, 0, kShootBulletCount - 1);
    setSelected(numbered("bullet_op_", bullet_), true);
    sub("bullet_select_index")->SetText(QString::number(bullet_ + 1));
    return loadBullet();
}

QString CShootControlUI::loadBullet() {
    if (!bound_ || bullet_ < 0) return {};
    const JsonDocument doc = readJsonDocument(workingFile(gun_));
    if (doc.state != JsonFileState::ok || !isShootDocument(doc.value)) return kTextDamaged;
    showBullet(readShootBullet(doc.value, bullet_));
    return {};
}

void CShootControlUI::showBullet(const ShootBullet& bullet) {
    setSelected(sub("bullet_x_check"), bullet.left);
    setSelected(sub("bullet_y_check"), bullet.up);
    showDirections();
    sub("bullet_x_eidt")->SetText(QString::number(bullet.horizontal));
    sub("bullet_y_eidt")->SetText(QString::number(bullet.vertical));
    sub("bullet_delay_eidt")->SetText(QString::number(bullet.delay));
}

void CShootControlUI::showDirections() {
    if (!bound_) return;
    CControlUI* x = sub("bullet_x_check");
    CControlUI* y = sub("bullet_y_check");
    x->SetResourceText(true);
    y->SetResourceText(true);
    x->SetText(isSelected(x) ? QStringLiteral("mouse_move_to_left_text") : QStringLiteral("mouse_move_to_right_text"));
    y->SetText(isSelected(y) ? QStringLiteral("mouse_move_to_up_text") : QStringLiteral("mouse_move_to_down_text"));
}

bool CShootControlUI::editedBullet(ShootBullet& bullet) const {
    bullet.left = isSelected(sub("bullet_x_check"));
    bullet.up = isSelected(sub("bullet_y_check"));
    return decimal(sub("bullet_x_eidt")->GetText(), bullet.horizontal) &&
           decimal(sub("bullet_y_eidt")->GetText(), bullet.vertical) &&
           decimal(sub("bullet_delay_eidt")->GetText(), bullet.delay) && shootBulletInRange(bullet);
}

// Nothing is written unless the edits are numbers the mouse takes and the
// file is a whole shoot file: a damaged file is kept for the user to reset.
QString CShootControlUI::saveBullet() {
    if (!bound_ || bullet_ < 0) return {};
    ShootBullet bullet;
    if (!editedBullet(bullet)) return kTextBadValue;
    JsonDocument doc = readJsonDocument(workingFile(gun_));
    if (doc.state != JsonFileState::ok || !isShootDocument(doc.value)) return kTextDamaged;
    writeShootBullet(doc.value, bullet_, bullet);
    return wirtejsonFile(workingFile(gun_), doc.value) == 0 ? QString() : kTextNotWritten;
}

QString CShootControlUI::replaceWorkingFile(const std::string& bytes) {
    if (writeFileAtomically(workingFile(gun_), bytes) != 0) return kTextNotWritten;
    return loadBullet();
}

// The factory file's bytes as they are, without any text conversion.
QString CShootControlUI::resetGun() {
    if (!bound_) return {};
    const FileRead factory = readRegularFile(factoryFile(gun_));
    if (factory.state != FileReadState::ok || !isShootText(factory.bytes)) return kTextNoFactory;
    return replaceWorkingFile(factory.bytes);
}

// The file's bytes become the selected gun's working file unchanged, so an
// export imported again is the same file; a file that is not a whole shoot
// file is refused before anything is replaced.
QString CShootControlUI::importGun(const QString& path) {
    if (!bound_ || path.isEmpty()) return {};
    const FileRead file = readRegularFile(path.toStdString());
    if (file.state != FileReadState::ok || !isShootText(file.bytes)) return kTextImportInvalid;
    return replaceWorkingFile(file.bytes);
}

QString CShootControlUI::exportGun(const QString& path) {
    if (!bound_ || path.isEmpty()) return {};
    const FileRead file = readRegularFile(workingFile(gun_));
    if (file.state != FileReadState::ok || !isShootText(file.bytes)) return kTextDamaged;
    return writeFileAtomically(path.toStdString(), file.bytes) == 0 ? QString() : kTextNotWritten;
}

}  // namespace talven
