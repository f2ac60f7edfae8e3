#pragma once

#include "document/SheetLayout.h"

#include <QList>
#include <QWidget>
#include <QStringList>

#include <functional>

// A dialog's fixed controls as data, built by one loop: the object name, the
// kind, the text at design time, the place in twips and the font, as they
// stand on the form.
namespace DialogKit {

enum class Kind {
    Label,  // a QLabel, aligned top-left
    Box,    // a one-line text box without a length limit
    Memo,   // a box of several lines; Tab leaves it
    Button, // neither default nor auto-default unless Default is given
    Rule,   // a horizontal rule one pixel high, `width` twips long
    Custom, // made by the dialog's own factory
};

// The colour of a rule.
enum class Shade { None, WindowText, HighlightedText, Base, Red };

struct Look
{
    Sheet::Face face;
    double points; // 0: the dialog's own font
    bool bold;
};
constexpr Look Inherited{ Sheet::Face::SansSerif, 0, false };

enum Option {
    Wrap = 1,      // a label wraps at word boundaries
    PlainText = 2, // a label never reads its text as rich text
    Default = 4,   // the dialog's default button
    Scaled = 8,    // a label's picture is scaled to fill it
};

struct Control
{
    const char *name;
    Kind kind;
    const char *text; // UTF-8
    int left, top, width, height;
    Look look = Inherited;
    int options = 0;
    Shade shade = Shade::None;
};

// Makes the widget of a Custom control; the loop then names, places and
// dresses it like any other.
using Factory = std::function<QWidget *(const Control &)>;

// Creates the controls on dialog in table order (which is also the order of
// their creation and of their stacking).
void build(QWidget *dialog, const QList<Control> &controls, const Factory &custom = Factory());

// The control of that name and type on dialog.
template<typename T>
T *control(const QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

// Sets the tab order to the named controls, in this order.
void setTabChain(QWidget *dialog, const QStringList &names);

} // namespace DialogKit
