#pragma once
// The splash window of a normal start: the program's name and version for about
// three seconds while the main window is prepared. A key press, or a click on the
// window, closes it at once.

#include <QWidget>

class QFrame;
class QLabel;

namespace neva {

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    QLabel* lblProductName = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblNotice = nullptr;
    QLabel* imgLogo = nullptr;
    QFrame* Frame1 = nullptr;

    // Whether the user closed it early.
    bool cerrado_por_usuario() const { return cerrado_por_usuario_; }

protected:
    void keyPressEvent(QKeyEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    bool cerrado_por_usuario_ = false;
};

// The logo drawn for the splash and the about box: a relay front with a lit lamp.
QPixmap neva_logo(int size);

}  // namespace neva
