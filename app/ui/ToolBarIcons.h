#pragma once
// The tool bar's pictures, drawn for this program at run time so that they stay
// sharp at any size: open, save, print, all actual values, store, help.

#include <QIcon>

namespace neva {

class ToolBarIcons {
public:
    enum Kind { Open, Save, Print, ActualValues, Store, Help };
    static QIcon icon(Kind kind);
    static QPixmap pixmap(Kind kind, int size);
};

}  // namespace neva
