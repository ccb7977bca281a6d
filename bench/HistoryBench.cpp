// neva-history-bench: how long the settings history's two everyday views take with
// a long history: listing every snapshot (the history window, `neva-cli history
// list`) and comparing two of them (reading both and running the comparison the
// compare window and `neva-cli history diff` show). The goal is under 200 ms each.
//
// The history is filled with N snapshots of one relay in a temporary folder (one
// transaction for all of them: filling is not what is measured), then each view is
// timed R times; the figures are the median and the slowest run. One single store
// (one transaction of its own, as the program makes it) is timed as well.
//
// Usage: neva-history-bench [--snapshots N] [--runs R]

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "HistoryDatabase.h"
#include "compare/SetpointCompare.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

struct Figures {
    double median, slowest;
};

Figures time_runs(int runs, const std::function<void()>& work) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        t.push_back(ms_since(start));
    }
    std::sort(t.begin(), t.end());
    return {t[t.size() / 2], t.back()};
}

bool fill(const QString& path, int n) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        if (!db.open() || !db.transaction()) return false;
        QSqlQuery s(db), b(db);
        s.prepare(QStringLiteral("INSERT INTO snapshots (taken_at, kind, relay_name, port, baud, address, firmware, "
                                 "user_name, program) VALUES (?, ?, 'Feeder 7', 'COM 1 (/dev/ttyUSB0)', 9600, 1, "
                                 "'1.03', 'bench', 'neva-history-bench')"));
        b.prepare(QStringLiteral("INSERT INTO snapshot_blocks (snapshot_id, block, registers) VALUES (?, ?, ?)"));
        for (int i = 1; i <= n; ++i) {
            s.addBindValue(QStringLiteral("2026-%1T12:00:00").arg(i, 6, 10, QLatin1Char('0')));
            s.addBindValue(i % 2 ? QStringLiteral("as-found") : QStringLiteral("as-left"));
            if (!s.exec()) return false;
            const qint64 id = s.lastInsertId().toLongLong();
            for (int block : {1, 2}) {
                QByteArray regs(block == 1 ? 56 : 44, char(0));
                for (int k = 0; k < regs.size(); ++k) regs[k] = char((i + k) % 7);
                b.addBindValue(id);
                b.addBindValue(block);
                b.addBindValue(regs);
                if (!b.exec()) return false;
            }
        }
        if (!db.commit()) return false;
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int n = 10000, runs = 21;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--snapshots")) n = std::max(2, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
    }
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("history.sqlite")).toStdString();
    std::string error;
    {
        neva::records::HistoryDatabase db(path);
        if (!db.open(error)) {
            std::fprintf(stderr, "neva-history-bench: %s\n", error.c_str());
            return 1;
        }
    }
    const auto filling = Clock::now();
    if (!fill(QString::fromStdString(path), n)) {
        std::fprintf(stderr, "neva-history-bench: could not fill the history\n");
        return 1;
    }
    std::printf("history of %d snapshots filled in %.0f ms\n", n, ms_since(filling));

    neva::records::HistoryDatabase db(path);
    std::size_t listed = 0, differing = 0;
    const Figures list = time_runs(runs, [&] { listed = db.list(error).value_or(std::vector<neva::Snapshot>{}).size(); });
    const Figures compare = time_runs(runs, [&] {
        const auto a = db.get(1, error);
        const auto b = db.get(n, error);
        if (a && b) differing = neva::diff_setpoints(neva::shipped_register_map(), a->setpoints, b->setpoints).size();
    });
    neva::Snapshot one;
    const auto storing = Clock::now();
    db.add(one, error);
    const double store = ms_since(storing);

    std::printf("list %zu snapshots:        median %7.2f ms, slowest %7.2f ms  (goal < 200 ms) %s\n", listed,
                list.median, list.slowest, list.slowest < 200 ? "ok" : "SLOW");
    std::printf("compare two (%zu differ):  median %7.2f ms, slowest %7.2f ms  (goal < 200 ms) %s\n", differing,
                compare.median, compare.slowest, compare.slowest < 200 ? "ok" : "SLOW");
    std::printf("store one snapshot:       %7.2f ms\n", store);
    return 0;
}
