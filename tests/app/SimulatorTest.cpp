// The program against the relay simulator on a pseudo-terminal: the real serial port
// and timers, the message boxes scripted. Loopback only, every wait bounded.
//
// With NEVA_SCREENSHOT_DIR set, the metering and events pages are saved there as
// avpage1.png and avpage4.png while they show the simulator's values.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QValueAxis>
#include <set>

#include "AppFixture.h"
#include "connection/Comunicacion.h"
#include "controls/NumericEditorControl.h"
#include "controls/UserControl1.h"
#include "image/Manejo_de_Datos.h"
#include "image/ModAutoRango.h"
#include "link/NEVA200.h"
#include "ui/AVPAGE1.h"
#include "ui/AVPAGE2.h"
#include "ui/AVPAGE4.h"
#include "ui/SETPAGE6.h"
#include "ui/TrendWindow.h"

using namespace neva;
using namespace neva::apptest;
using U = UserControl1;

namespace {

class WithSimulator : public SimulatorFixture {
protected:
    // Starts the simulator and the program connected to it from the command line.
    void connect(const QStringList& sim_args) {
        start_relay(sim_args);
        start_program("9600,N,8,1 1 1");
        w->terminar = [] {};
        ASSERT_TRUE(run_until([&] { return ctx->state().En_Linea && w->panel(6) == "Comunicating..."; }, 15000));
    }
    bool lamps(std::initializer_list<U::Indicador> lit) const {
        for (int i = 0; i < U::kIndicadores; ++i) {
            const auto ind = static_cast<U::Indicador>(i);
            if (w->UserControl11->lampara_activa(ind) != (std::find(lit.begin(), lit.end(), ind) != lit.end()))
                return false;
        }
        return true;
    }
    template <class Page>
    Page* open(Pagina p) {
        EXPECT_TRUE(w->abrir_pagina(p));
        return dynamic_cast<Page*>(w->pagina(p));
    }
    static void screenshot(QWidget* page, const char* name) {
        const QByteArray where = qgetenv("NEVA_SCREENSHOT_DIR");
        if (!where.isEmpty()) {
            EXPECT_TRUE(page->grab().save(QDir(QString::fromLocal8Bit(where)).filePath(name)));
        }
    }
    // The page shows what the link decoded, through the auto-ranging.
    bool shows_link_current(ActualValuePage* page, int row, int posicion) {
        std::string texto, unidad;
        AutoRango(1, texto, unidad, to_fixed(ctx->NEVA().DatosDeVariables(posicion).number()));
        return page->LblMed[row]->text() == QString::fromStdString(texto) &&
               page->LblUni[row]->text() == QString::fromStdString(unidad);
    }
    // The event numbers of a list, top down, and whether they count down without a gap.
    static std::vector<int> numbers(AVPAGE4* page) {
        std::vector<int> r;
        for (const auto& e : page->filas()) r.push_back(e.id.trimmed().toInt());
        return r;
    }
    static bool newest_first_without_gaps(const std::vector<int>& n) {
        for (std::size_t i = 1; i < n.size(); ++i)
            if (n[i] != n[i - 1] - 1) return false;
        return !n.empty();
    }
};

}  // namespace

TEST_F(WithSimulator, OnFromTheConnectionDialogAndOffWhenTheRelayStopsAnswering) {
    start_relay({"--event-every", "0"});
    start_program("");
    const SetpointImage factory = ctx->images().Imagen_Edicion;
    auto& st = ctx->state();
    w->Comunica->trigger();
    auto& c = w->comunicacion();
    msgs->expect_message("SetPoints Will be Lost, Do you want to save it?", MsgAnswer::No);
    c.Command1_Click();
    ASSERT_TRUE(ctx->port().is_open());

    // The first good answer makes the program communicate; the status tick shows it
    // and the connection dialog's own timer confirms it.
    ASSERT_TRUE(run_until([&] { return st.En_Linea && w->panel(6) == "Comunicating..."; }, 15000));
    ASSERT_TRUE(run_until([&] { return c.Label6->text() == "Communication Stablished"; }, 10000));
    // A relay at rest: in service with its breaker closed, nothing else lit.
    EXPECT_TRUE(run_until([&] { return lamps({U::kService, U::kCerrado}); }, 5000));
    // The relay's own setpoints replaced the file's.
    EXPECT_TRUE(run_until([&] { return word(ctx->images().Imagen_Setpoints, "0102") == 400; }, 5000));

    // The relay stops answering: five exchanges without an answer, two one-second
    // ticks each, then the error runs the connection dialog's OFF.
    ctx->images().Imagen_Edicion.fill(0xAA);
    sim.freeze();
    msgs->expect_message(" Communication Error...", "Communication Error", MsgButtons::Ok, MsgIcon::Critical);
    // The relay's setpoints are in no file: going offline offers to save them first.
    msgs->expect_message("SetPoints Will be Lost, Do you want to save it?", MsgAnswer::No);
    ASSERT_TRUE(run_until([&] { return msgs->done(); }, 40000));
    msgs->verify();
    EXPECT_FALSE(st.En_Linea);
    EXPECT_EQ(c.Label6->text(), "Communication Not Stablished");
    EXPECT_EQ(ctx->images().Imagen_Edicion, factory);  // the default file again
    EXPECT_TRUE(run_until([&] { return lamps({}) && w->panel(6) == "Not Communicating...."; }, 5000));
    sim.thaw();
}

// A page opens with what the scratch memory holds and shows the relay's values once
// its read is back; STORE sends the edited block, and only the relay's confirmation
// and a read-back that matches make it the stored one.
TEST_F(WithSimulator, SetpointPageFollowsTheRelayAndStoreReachesIt) {
    connect({"--event-every", "0"});
    auto& images = ctx->images();
    auto& q = ctx->link().Colas();  // the connect sequence's reads are done
    ASSERT_TRUE(run_until([&] { return pending(*ctx, 0).empty() && q.Canal_Actual != 0; }, 20000));
    const SetpointImage relay = images.Imagen_Setpoints;

    put_word(images.Imagen_Setpoints, "0181", 7);  // as if edited offline
    copy_block_to_edit(images, 2);
    w->MnuPhProtec->trigger();
    auto* page = qobject_cast<SETPAGE6*>(QApplication::activeModalWidget());
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(w->habilitada());  // held while the page is open
    EXPECT_EQ(page->editor("Byte_UnR1(0)")->text(), "7 %CT");
    ASSERT_TRUE(run_until([&] { return page_shows_image(*page, relay); }, 10000));

    page->editor("Byte_UnR1(0)")->UpButton->click();
    page->check("ChkGnd", 3)->click();
    const SetpointImage edited = images.Imagen_Edicion;
    EXPECT_FALSE(same_block(edited, relay, 2));
    msgs->expect_message("Setpoints were Saved to the Relay memory", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    page->Command1->click();
    ASSERT_TRUE(run_until([&] { return msgs->done(); }, 15000));
    msgs->verify();
    EXPECT_EQ(images.Imagen_Setpoints, edited);
    page->Command2->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w->habilitada());
}

TEST_F(WithSimulator, MeteringFollowsTheRelayAndMaintenanceClearReachesIt) {
    connect({"--event-every", "0"});
    QPointer<AVPAGE1> metering = open<AVPAGE1>(Pagina::AVPAGE1);
    ASSERT_TRUE(metering);
    // The load currents drift: the page follows them, every value with its unit.
    std::set<QString> seen;
    run_until(
        [&] {
            if (metering->LblMed[0]->text() != "###.##") seen.insert(metering->LblMed[0]->text());
            return seen.size() >= 3;
        },
        20000);
    EXPECT_GE(seen.size(), 3u);
    for (int row = 0; row < 4; ++row) EXPECT_TRUE(shows_link_current(metering, row, 12 + row)) << row;
    screenshot(metering, "avpage1.png");
    metering->Okey->click();
    ASSERT_TRUE(run_until([&] { return !metering; }, 5000)) << "closed at the next tick";
    EXPECT_TRUE(w->habilitada());

    // The relay's accumulated amperes are in the thousands: kiloamperes.
    QPointer<AVPAGE2> maintenance = open<AVPAGE2>(Pagina::AVPAGE2);
    ASSERT_TRUE(maintenance);
    ASSERT_TRUE(run_until([&] { return maintenance->LblMed[0]->text() != "###.##"; }, 10000));
    EXPECT_GT(maintenance->LblMed[0]->text().toInt(), 0);  // a relay in service for a while
    for (int row = 4; row < 7; ++row) {
        EXPECT_EQ(maintenance->LblUni[row]->text(), "KA") << row;
        EXPECT_TRUE(shows_link_current(maintenance, row, 13 + row)) << row;
    }
    msgs->expect_message("Are your sure that you want to clear Maintenance Data?", MsgAnswer::Yes);
    msgs->expect_message("Command executed", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    maintenance->cmdClear->click();
    ASSERT_TRUE(run_until(
        [&] {
            return maintenance->LblMed[0]->text() == "0" && maintenance->LblMed[3]->text() == "0" &&
                   maintenance->LblMed[4]->text() == "0.00" && maintenance->LblUni[4]->text() == "A";
        },
        10000));
    msgs->verify();
    maintenance->Okey->click();
    ASSERT_TRUE(run_until([&] { return !maintenance; }, 5000));
    EXPECT_TRUE(w->habilitada() && ctx->state().En_Linea);
}

TEST_F(WithSimulator, EventsArePrintedListedNewestFirstAndCleared) {
    connect({"--events", "12", "--event-every", "4"});
    // The print waits for the record, then prints the rows the page held.
    const QString pdf = dir.filePath("events.pdf");
    w->dialogo_impresora = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    std::vector<int> printed;
    w->registrar_pagina(Pagina::AVPAGE4, {[](Principal& p) -> QWidget* { return new AVPAGE4(p); },
                                          [&](QWidget* page) {
                                              auto* p4 = static_cast<AVPAGE4*>(page);
                                              p4->Actualiza_Valores();
                                              printed = numbers(p4);
                                          }});
    w->P_Events_Click();
    EXPECT_TRUE(ctx->state().Imprimiendo);
    EXPECT_FALSE(QFile::exists(pdf)) << "printed only once the record has been read";
    ASSERT_TRUE(run_until([&] { return !ctx->state().Imprimiendo; }, 20000));
    EXPECT_TRUE(QFile::exists(pdf));
    ASSERT_GE(printed.size(), 10u);
    EXPECT_GE(printed.front(), 12);
    EXPECT_TRUE(newest_first_without_gaps(printed));

    // The list: the record as the relay holds it, newest first; it grows with the relay's.
    QPointer<AVPAGE4> page = open<AVPAGE4>(Pagina::AVPAGE4);
    ASSERT_TRUE(page);
    ASSERT_TRUE(run_until(
        [&] {
            const auto n = numbers(page);
            return newest_first_without_gaps(n) && n.back() == 1 && n.front() == ctx->NEVA().Ultimo_Numero;
        },
        15000));
    const int first = numbers(page).front();
    ASSERT_TRUE(run_until(
        [&] {
            const auto n = numbers(page);
            return newest_first_without_gaps(n) && n.front() >= first + 1 && n.back() == 1;
        },
        20000));
    screenshot(page, "avpage4.png");

    // The record restarts with the clear itself as event 1.
    msgs->expect_message("Are your sure that you want to clear Events?", MsgAnswer::Yes);
    msgs->expect_message("Command executed", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    const int before = numbers(page).front();
    page->Clear->click();
    ASSERT_TRUE(run_until(
        [&] {
            const auto f = page->filas();
            return !f.empty() && f.back().id.trimmed() == "1" && f.back().descripcion == " Events Clear" &&
                   numbers(page).front() < before;
        },
        15000));
    msgs->verify();
}

// The trend window against fixed currents: what the chart plots and in which unit,
// the CSV log the user starts, the PNG export, and closing while logging.
TEST_F(WithSimulator, TrendPlotsLogsAndExportsTheRelaysCurrents) {
    connect({"--event-every", "0", "--currents", "312.45,298.1,305.77,2.5"});
    QAction* menu = w->findChild<QAction*>("mnuTrend");
    ASSERT_TRUE(menu);
    menu->trigger();
    auto* trend = w->findChild<TrendWindow*>();
    ASSERT_TRUE(trend && trend->isVisible());

    const std::string log = dir.filePath("feeder.csv").toStdString();
    msgs->expect_save_file(log);
    ASSERT_TRUE(trend->toggle_logging());
    ASSERT_TRUE(run_until([&] { return trend->logger().rows() >= 2; }, 20000));

    QFile file(QString::fromStdString(log));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "time,phase_a_A,phase_b_A,phase_c_A,ground_A");
    const QRegularExpression row(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3},312\.45,298\.10,305\.77,2\.50$)");
    for (int i = 1; i < lines.size(); ++i) EXPECT_TRUE(row.match(lines[i]).hasMatch()) << lines[i].toStdString();

    // Plotted in the unit the metering page shows, with room above the largest.
    QCoreApplication::processEvents();
    const auto* a = trend->series(0);
    ASSERT_EQ(std::size_t(a->count()), trend->recorder().buffer().size());
    EXPECT_DOUBLE_EQ(a->at(a->count() - 1).y(), 312.45);
    EXPECT_EQ(trend->value_axis()->titleText(), "Current (A)");
    EXPECT_DOUBLE_EQ(trend->value_axis()->max(), 500);
    for (int k = 0; k < 3; ++k) trend->show_box(k)->setChecked(false);
    EXPECT_DOUBLE_EQ(trend->value_axis()->max(), 5);

    const QString png = dir.filePath("trend.png");
    msgs->expect_save_file(png.toStdString());
    ASSERT_TRUE(trend->export_png());
    QFile picture(png);
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    EXPECT_TRUE(picture.read(8).startsWith("\x89PNG"));

    // Closing while logging asks first; the log and the polling stop.
    msgs->expect_message("Logging to " + log + " is running. Stop logging and close the trend?", MsgAnswer::Yes);
    trend->close();
    EXPECT_FALSE(trend->isVisible());
    EXPECT_FALSE(trend->logger().active());
    EXPECT_FALSE(trend->recorder().running());
    msgs->verify();
}

// The program as the run script starts it: its own process, the line given on the
// command line, no help from the test.
TEST(EndToEnd, ProgramStartedLikeTheRunScriptConnectsByItself) {
    QTemporaryDir dir;
    testsupport::SimProcess sim(testsupport::SimProcess::relay_program(), testsupport::SimProcess::ErrorOutput::Keep);
    ASSERT_TRUE(sim.start({"--event-every", "0"})) << sim.error().toStdString();
    QProcess program;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("NEVA_COM1", sim.pty_path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("NEVA_MARKER_FILE", dir.filePath("marker"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(NEVA_SETUP_BIN, {"9600,N,8,1 1 1"});
    ASSERT_TRUE(program.waitForStarted(10000));

    // Identification, both setpoint blocks, then the status read over and over.
    const QRegularExpression status_read("request slave 1 function 04 0203");
    auto log = [&] { return QString::fromLocal8Bit(sim.error_output()); };
    EXPECT_TRUE(run_until([&] { return log().count(status_read) >= 10; }, 30000)) << log().toStdString();
    for (const char* first : {"04 0000", "03 0100", "03 0180"})
        EXPECT_TRUE(log().contains(QString("request slave 1 function ") + first)) << first;
    EXPECT_EQ(read_file(dir.filePath("marker").toStdString()), std::string("\x01\x00", 2));
    EXPECT_EQ(program.state(), QProcess::Running);
    program.terminate();
    if (!program.waitForFinished(5000)) program.kill();
    program.waitForFinished(2000);
}
