#include <gtest/gtest.h>

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "controls/LEDS.h"
#include "controls/UserControl1.h"
#include "services/LauncherMarker.h"
#include "services/QtMessageService.h"
#include "ui/frmAbout.h"
#include "ui/frmSplash.h"

#include <unistd.h>

using namespace neva;
using U = UserControl1;

TEST(UserControl1, LampsChangeOnlyOnActualizarAndDesactivarKeepsValues) {
    U u;
    for (int i = 0; i < U::kIndicadores; ++i) EXPECT_FALSE(u.lampara_activa(static_cast<U::Indicador>(i)));
    u.setTrip(255);
    u.setPickUpIo50(1);
    EXPECT_FALSE(u.lampara_activa(U::kTrip));  // stored, not shown yet
    u.Actualizar();
    for (int i = 0; i < U::kIndicadores; ++i) {
        const auto ind = static_cast<U::Indicador>(i);
        EXPECT_EQ(u.lampara_activa(ind), ind == U::kTrip || ind == U::kPickUpIo50) << U::rotulo(ind);
    }
    EXPECT_EQ(u.Alarm(), 0);
    u.Desactivar();
    EXPECT_FALSE(u.lampara_activa(U::kTrip));
    EXPECT_EQ(u.Trip(), 255);
    u.setTrip(0);
    u.Actualizar();
    EXPECT_FALSE(u.lampara_activa(U::kTrip));
    EXPECT_TRUE(u.lampara_activa(U::kPickUpIo50));
    // It paints without pictures from anywhere.
    u.resize(u.sizeHint());
    QImage img = u.grab().toImage();
    EXPECT_FALSE(img.isNull());
}

TEST(LEDS, BlinksWhileCommunicatingAndStopsOtherwise) {
    SharedState st;
    LEDS led(st);
    EXPECT_TRUE(led.image1_visible());
    EXPECT_TRUE(led.Enabled());
    EXPECT_EQ(led.Interval(), 0);
    st.En_Linea = true;
    led.Tick();
    EXPECT_TRUE(led.image2_visible());
    led.Tick();
    EXPECT_TRUE(led.image1_visible());
    st.En_Linea = false;
    led.setInterval(250);
    led.Tick();
    EXPECT_FALSE(led.Enabled());
    EXPECT_TRUE(led.image1_visible());
}

TEST(SplashAndAbout, ShowTheBuildVersionAndTheSplashClosesOnAKey) {
    frmSplash s;
    EXPECT_EQ(s.lblVersion->text(), "Version 2.0.2");
    EXPECT_EQ(s.lblProductName->text(), "NEVA");
    s.show();
    QTest::keyClick(&s, Qt::Key_Space);
    EXPECT_FALSE(s.isVisible());
    EXPECT_TRUE(s.cerrado_por_usuario());

    frmSplash s2;
    s2.show();
    QTest::mouseClick(s2.Frame1, Qt::LeftButton);
    EXPECT_FALSE(s2.isVisible());

    frmAbout a;
    EXPECT_EQ(a.windowTitle(), "About");
    EXPECT_EQ(a.lblTitle->text(), "NEVA - Setup");
    EXPECT_EQ(a.lblVersion->text(), "Version: 2.0.2");
    a.show();
    a.cmdOK->click();
    EXPECT_FALSE(a.isVisible());
}

TEST(QtMessageService, FileFiltersBecomeQtNameFilters) {
    EXPECT_EQ(QtMessageService::qt_filters("NEVA Files (*.NEVA2)|*.NEVA2|All Files (*.*)|*.*|"),
              QStringList({"NEVA Files (*.NEVA2)", "All Files (*)"}));
    // The save dialog's text has a blank before "All".
    EXPECT_EQ(QtMessageService::qt_filters("NEVA Files (*.NEVA2)|*.NEVA2| All Files (*.*)|*.*|"),
              QStringList({"NEVA Files (*.NEVA2)", "All Files (*)"}));
    EXPECT_EQ(QtMessageService::qt_filters("Text|*.txt;*.log"), QStringList({"Text (*.txt *.log)"}));
    EXPECT_TRUE(QtMessageService::qt_filters("").isEmpty());
}

TEST(LauncherMarker, WritesOneRecordAndNeverThroughALink) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("marker").toStdString();
    qputenv("NEVA_MARKER_FILE", QByteArray::fromStdString(path));
    EXPECT_EQ(LauncherMarker::default_path(), path);
    qunsetenv("NEVA_MARKER_FILE");
    EXPECT_NE(LauncherMarker::default_path(), path);

    LauncherMarker m(path);
    ASSERT_TRUE(m.write(LauncherMarker::kActivada)) << m.last_error();
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\x01\x00", 2));
    f.close();
    EXPECT_EQ(QFile::permissions(QString::fromStdString(path)) & QFileDevice::ReadOther, 0);

    // Someone plants a link to a file of ours: it is left alone.
    const std::string victim = dir.filePath("victim").toStdString();
    {
        QFile v(QString::fromStdString(victim));
        ASSERT_TRUE(v.open(QIODevice::WriteOnly));
        v.write("precious");
    }
    const std::string planted = dir.filePath("planted").toStdString();
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    LauncherMarker bad(planted);
    EXPECT_FALSE(bad.write(LauncherMarker::kDescargada));
    EXPECT_FALSE(bad.last_error().empty());
    QFile v(QString::fromStdString(victim));
    ASSERT_TRUE(v.open(QIODevice::ReadOnly));
    EXPECT_EQ(v.readAll(), QByteArray("precious"));

    // A directory in the way is refused too.
    LauncherMarker d(dir.path().toStdString());
    EXPECT_FALSE(d.write(1));
}
