#pragma once
// CDialogBuilder: builds a control tree from a layout file. A tag is looked
// up among the built-in controls, then among the tags registered with
// CControlFactory, then through the callback's CreateControl(tag); a tag
// nobody knows is skipped with its subtree and named in GetLastError() and
// the debug output. Children are built before their parent's
// attributes are read (so selectedid finds its tab), and each control gets
// the window's <Default> attributes for its tag before its own.

#include <QString>

#include <optional>

#include "ui/notify.h"
#include "ui/xml_node.h"

namespace talven::ui {

class CControlUI;
class CPaintManagerUI;

class CDialogBuilder {
public:
    // `xml` is a resource name of res.xml, a path relative to the skin
    // folder, an absolute path, or layout text starting with '<'. With a
    // manager, a <Window> root sets the window's size, caption, fonts and
    // defaults. With a parent (a container) the built root is added to it.
    // Returns the root control, or nullptr when the file is missing or broken
    // or holds no control (the reason goes to the debug output). A built tree
    // may still have left out unknown tags: GetLastError() names the last.
    CControlUI* Create(const QString& xml, const QString& type = {},
                       IDialogBuilderCallback* callback = nullptr,
                       CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    // Builds again from the document the last Create read.
    CControlUI* Create(IDialogBuilderCallback* callback = nullptr, CPaintManagerUI* manager = nullptr,
                       CControlUI* parent = nullptr);
    bool IsLoaded() const { return doc_.has_value(); }
    QString GetLastError() const { return error_; }

    static void ApplyWindowSettings(const XmlNode& window, CPaintManagerUI* manager);
    static CControlUI* CreateBuiltinControl(const QString& tag);
    // The file behind a resource name or skin-relative path.
    static QString ResolveXmlFile(const QString& xml);

private:
    CControlUI* ParseChildren(const XmlNode& node, CControlUI* parent);
    CControlUI* ParseNode(const XmlNode& node, CControlUI* parent);
    CControlUI* Include(const XmlNode& node, CControlUI* parent);
    void Fail(const QString& what);

    std::optional<XmlNode> doc_;
    QString source_;
    QString error_;
    IDialogBuilderCallback* callback_ = nullptr;
    CPaintManagerUI* manager_ = nullptr;
    int includeDepth_ = 0;
};

}  // namespace talven::ui
