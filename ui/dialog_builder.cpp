#include "ui/dialog_builder.h"

#include "platform/debug_output.h"
#include "ui/attribute_parse.h"
#include "ui/combo.h"
#include "ui/control_factory.h"
#include "ui/edit.h"
#include "ui/layouts.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/slider_progress.h"

namespace talven::ui {

namespace {

// Includes nest this deep at most; a file that includes itself stops here.
constexpr int kMaxIncludeDepth = 16;
constexpr int kMaxIncludeCount = 100;

using Factory = CControlUI* (*)();

template <class T>
CControlUI* Make() {
    return new T;
}

struct BuiltinTag {
    const char* tag;
    Factory create;
};

constexpr BuiltinTag kBuiltins[] = {
    {"Control", &Make<CControlUI>},
    {"Container", &Make<CContainerUI>},
    {"VerticalLayout", &Make<CVerticalLayoutUI>},
    {"HorizontalLayout", &Make<CHorizontalLayoutUI>},
    {"TabLayout", &Make<CTabLayoutUI>},
    {"Label", &Make<CLabelUI>},
    {"Text", &Make<CTextUI>},
    {"Button", &Make<CButtonUI>},
    {"Option", &Make<COptionUI>},
    {"CheckBox", &Make<CCheckBoxUI>},
    {"Edit", &Make<CEditUI>},
    {"RichEdit", &Make<CRichEditUI>},
    {"Slider", &Make<CSliderUI>},
    {"Progress", &Make<CProgressUI>},
    {"Combo", &Make<CComboUI>},
    {"List", &Make<CListUI>},
    {"ListLabelElement", &Make<CListLabelElementUI>},
    {"ListContainerElement", &Make<CListContainerElementUI>},
};

bool IsWindowSetting(const QString& tag) {
    for (const char* t : {"Font", "Default", "Image", "Style", "Window"}) {
        if (tag.compare(QLatin1String(t), Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

void Debug(const QString& text) { debugOutput(("skin: " + text).toStdString()); }

}  // namespace

CControlUI* CDialogBuilder::CreateBuiltinControl(const QString& tag) {
    for (const BuiltinTag& b : kBuiltins) {
        if (tag.compare(QLatin1String(b.tag), Qt::CaseInsensitive) == 0) return b.create();
    }
    return nullptr;
}

QString CDialogBuilder::ResolveXmlFile(const QString& xml) {
    const QString indexed = CResourceManager::GetInstance()->GetXmlPath(xml);
    return CPaintManagerUI::ResolveResourceFile(indexed.isEmpty() ? xml : indexed);
}

void CDialogBuilder::Fail(const QString& what) {
    error_ = what;
    Debug(what);
}

CControlUI* CDialogBuilder::Create(const QString& xml, const QString&, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager, CControlUI* parent) {
    doc_.reset();
    error_.clear();
    QString error;
    if (xml.trimmed().startsWith(QLatin1Char('<'))) {
        source_ = QStringLiteral("(layout text)");
        doc_ = ParseXmlText(xml.toUtf8(), &error);
    } else {
        source_ = ResolveXmlFile(xml);
        doc_ = ParseXmlFile(source_, &error);
    }
    if (!doc_) {
        Fail(QStringLiteral("cannot build %1: %2").arg(source_, error));
        return nullptr;
    }
    return Create(callback, manager, parent);
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                                   CControlUI* parent) {
    if (!doc_) return nullptr;
    error_.clear();
    callback_ = callback;
    manager_ = manager;
    const XmlNode& root = *doc_;
    CControlUI* built = nullptr;
    if (root.tag.compare(QLatin1String("Window"), Qt::CaseInsensitive) == 0) {
        if (manager) ApplyWindowSettings(root, manager);
        built = ParseChildren(root, parent);
    } else {
        built = ParseNode(root, parent);
    }
    if (!built) Fail(QStringLiteral("%1 holds no control that could be built").arg(source_));
    return built;
}

void CDialogBuilder::ApplyWindowSettings(const XmlNode& window, CPaintManagerUI* manager) {
    auto bad = [](const QString& name, const QString& value) {
        Debug(QStringLiteral("<Window>: bad value of %1: '%2'").arg(name, value));
    };
    for (const auto& [rawName, value] : window.attributes) {
        const QString name = rawName.toLower();
        if (name == QLatin1String("size") || name == QLatin1String("mininfo") ||
            name == QLatin1String("maxinfo") || name == QLatin1String("roundcorner")) {
            const auto s = ParseSize(value);
            if (!s) bad(rawName, value);
            else if (name == QLatin1String("size")) manager->SetInitSize(*s);
            else if (name == QLatin1String("mininfo")) manager->SetMinInfo(*s);
            else if (name == QLatin1String("maxinfo")) manager->SetMaxInfo(*s);
            else manager->SetRoundCorner(*s);
        } else if (name == QLatin1String("caption") || name == QLatin1String("sizebox")) {
            const auto m = ParseMargins(value);
            if (!m) bad(rawName, value);
            else if (name == QLatin1String("caption")) manager->SetCaptionRect(*m);
            else manager->SetSizeBox(*m);
        } else if (name == QLatin1String("bkcolor") || name == QLatin1String("defaultfontcolor") ||
                   name == QLatin1String("disabledfontcolor")) {
            const auto c = ParseColor(value);
            if (!c) bad(rawName, value);
            else if (name == QLatin1String("bkcolor")) manager->SetWindowBkColor(*c);
            else if (name == QLatin1String("defaultfontcolor")) manager->SetDefaultFontColor(*c);
            else manager->SetDefaultDisabledColor(*c);
        }
    }
    for (const XmlNode& child : window.children) {
        if (child.tag.compare(QLatin1String("Font"), Qt::CaseInsensitive) == 0) {
            const int id = ParseInt(child.attribute(QStringLiteral("id"), QStringLiteral("-1"))).value_or(-1);
            const QString face = child.attribute(QStringLiteral("name"));
            const int size = ParseInt(child.attribute(QStringLiteral("size"), QStringLiteral("12"))).value_or(12);
            const bool bold = ParseBool(child.attribute(QStringLiteral("bold")));
            const bool underline = ParseBool(child.attribute(QStringLiteral("underline")));
            const bool italic = ParseBool(child.attribute(QStringLiteral("italic")));
            const bool shared = ParseBool(child.attribute(QStringLiteral("shared")));
            if (id >= 0) manager->AddFont(id, face, size, bold, underline, italic, shared);
            if (ParseBool(child.attribute(QStringLiteral("default")))) {
                manager->SetDefaultFont(face, size, bold, underline, italic, shared);
            }
        } else if (child.tag.compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0) {
            const QString name = child.attribute(QStringLiteral("name"));
            if (name.isEmpty()) continue;
            manager->AddDefaultAttributeList(name, child.attribute(QStringLiteral("value")),
                                             ParseBool(child.attribute(QStringLiteral("shared"))));
        }
    }
}

CControlUI* CDialogBuilder::ParseChildren(const XmlNode& node, CControlUI* parent) {
    CControlUI* first = nullptr;
    for (const XmlNode& child : node.children) {
        CControlUI* built = nullptr;
        if (child.tag.compare(QLatin1String("Include"), Qt::CaseInsensitive) == 0) {
            built = Include(child, parent);
        } else if (!IsWindowSetting(child.tag)) {
            built = ParseNode(child, parent);
        }
        if (!first) first = built;
    }
    return first;
}

CControlUI* CDialogBuilder::Include(const XmlNode& node, CControlUI* parent) {
    const QString source = node.attribute(QStringLiteral("source"));
    if (source.isEmpty()) {
        Debug(QStringLiteral("<Include> without source in %1").arg(source_));
        return nullptr;
    }
    if (includeDepth_ >= kMaxIncludeDepth) {
        Debug(QStringLiteral("includes nested too deeply at %1 (in %2)").arg(source, source_));
        return nullptr;
    }
    const int count = qBound(1, ParseInt(node.attribute(QStringLiteral("count"), QStringLiteral("1"))).value_or(1),
                             kMaxIncludeCount);
    CControlUI* first = nullptr;
    for (int i = 0; i < count; ++i) {
        CDialogBuilder sub;
        sub.includeDepth_ = includeDepth_ + 1;
        CControlUI* built = sub.Create(source, {}, callback_, manager_, parent);
        if (!sub.error_.isEmpty()) error_ = sub.error_;
        if (!first) first = built;
    }
    return first;
}

CControlUI* CDialogBuilder::ParseNode(const XmlNode& node, CControlUI* parent) {
    CControlUI* control = CreateBuiltinControl(node.tag);
    if (!control) control = CControlFactory::GetInstance()->CreateControlForTag(node.tag);
    if (!control && callback_) control = callback_->CreateControl(node.tag);
    if (!control) {
        // Never a stand-in control: a tag nobody knows is a skin or program
        // fault, and a plain box in its place would hide it.
        Fail(QStringLiteral("unknown tag <%1> skipped with its content (%2)").arg(node.tag, source_));
        return nullptr;
    }
    if (!node.children.empty()) {
        if (qobject_cast<CContainerUI*>(control)) {
            ParseChildren(node, control);
        } else {
            Debug(QStringLiteral("<%1> holds no children; its content is ignored (%2)").arg(node.tag, source_));
        }
    }
    if (manager_) {
        control->SetManager(manager_, false);
        const QString defaults = manager_->GetDefaultAttributeList(node.tag);
        if (!defaults.isEmpty()) control->ApplyAttributeList(defaults);
    }
    for (const auto& [name, value] : node.attributes) control->SetAttribute(name, value);
    if (parent) {
        auto* container = qobject_cast<CContainerUI*>(parent);
        if (!container || !container->Add(control)) {
            Debug(QStringLiteral("<%1> could not be added to its parent (%2)").arg(node.tag, source_));
            delete control;
            return nullptr;
        }
    }
    return control;
}

}  // namespace talven::ui
