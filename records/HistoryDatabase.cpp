#include "HistoryDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include "startup/ProgramFolders.h"

#include <algorithm>

#ifndef Q_OS_WIN
#include <pwd.h>
#include <unistd.h>
#endif

namespace neva::records {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QVariant& v) { return v.toString().toStdString(); }

constexpr int kBlock1Size = static_cast<int>(kBlock1.last - kBlock1.first + 1);  // 56 bytes
constexpr int kBlock2Size = static_cast<int>(kBlock2.last - kBlock2.first + 1);  // 44 bytes

// The steps from one schema version to the next; step n brings version n-1 to n.
const char* const kStep1[] = {
    "CREATE TABLE snapshots ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " taken_at TEXT NOT NULL,"
    " kind TEXT NOT NULL CHECK (kind IN ('as-found', 'as-left')),"
    " relay_name TEXT NOT NULL DEFAULT '',"
    " port TEXT NOT NULL DEFAULT '',"
    " address INTEGER NOT NULL DEFAULT 0,"
    " firmware TEXT NOT NULL DEFAULT '',"
    " user_name TEXT NOT NULL DEFAULT '',"
    " setpoints BLOB NOT NULL)",
};
const char* const kStep2[] = {
    "CREATE TABLE snapshots_v2 ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " taken_at TEXT NOT NULL,"
    " kind TEXT NOT NULL CHECK (kind IN ('as-found', 'as-left')),"
    " relay_name TEXT NOT NULL DEFAULT '',"
    " port TEXT NOT NULL DEFAULT '',"
    " baud INTEGER NOT NULL DEFAULT 0,"
    " address INTEGER NOT NULL DEFAULT 0,"
    " firmware TEXT NOT NULL DEFAULT '',"
    " user_name TEXT NOT NULL DEFAULT '',"
    " program TEXT NOT NULL DEFAULT '')",
    "INSERT INTO snapshots_v2 (id, taken_at, kind, relay_name, port, address, firmware, user_name)"
    " SELECT id, taken_at, kind, relay_name, port, address, firmware, user_name FROM snapshots",
    // The blocks' table refers to the new table by its final name, so the old one
    // steps aside first (dropping it last then deletes nothing through the reference).
    "ALTER TABLE snapshots RENAME TO snapshots_v1",
    "ALTER TABLE snapshots_v2 RENAME TO snapshots",
    "CREATE TABLE snapshot_blocks ("
    " snapshot_id INTEGER NOT NULL REFERENCES snapshots(id) ON DELETE CASCADE,"
    " block INTEGER NOT NULL CHECK (block IN (1, 2)),"
    " registers BLOB NOT NULL,"
    " PRIMARY KEY (snapshot_id, block))",
    // Version 1 kept both blocks as one value, block 1 (56 bytes) then block 2.
    "INSERT INTO snapshot_blocks SELECT id, 1, substr(setpoints, 1, 56) FROM snapshots_v1",
    "INSERT INTO snapshot_blocks SELECT id, 2, substr(setpoints, 57, 44) FROM snapshots_v1",
    "DROP TABLE snapshots_v1",
    "CREATE INDEX snapshots_by_relay ON snapshots (relay_name, address, id)",
};

struct Step {
    const char* const* statements;
    std::size_t count;
};
const Step kSteps[] = {{kStep1, std::size(kStep1)}, {kStep2, std::size(kStep2)}};
static_assert(std::size(kSteps) == HistoryDatabase::kSchemaVersion);

// A file made for the user alone, before SQLite opens it.
bool create_private_file(const QString& path, QString& why) {
    const QFileInfo info(path);
    QDir dir = info.absoluteDir();
    if (!dir.exists()) {
        if (!QDir().mkpath(dir.absolutePath())) {
            why = QStringLiteral("the folder %1 could not be created").arg(dir.absolutePath());
            return false;
        }
        QFile::setPermissions(dir.absolutePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner | QFileDevice::ReadUser |
                                                      QFileDevice::WriteUser | QFileDevice::ExeUser);
    }
    if (info.exists()) return true;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser)) {
        why = f.errorString();
        return false;
    }
    return true;
}

}  // namespace

std::string HistoryDatabase::default_path() {
    std::string folder = ProgramFolders::user_data_folder();
    // No home at all (a bare service account): Qt's idea of a data folder.
    if (folder.empty())
        folder = (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/neva-setup").toStdString();
    return folder + "/history.sqlite";
}

std::string HistoryDatabase::user_name() {
    for (const char* var : {"USER", "LOGNAME", "USERNAME"})
        if (const QString v = qEnvironmentVariable(var); !v.isEmpty()) return v.toStdString();
#ifndef Q_OS_WIN
    // Services and containers often start programs without those variables.
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
#endif
    return {};
}

HistoryDatabase::HistoryDatabase(std::string path)
    : path_(std::move(path)),
      connection_(QStringLiteral("neva-history-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)) {}

HistoryDatabase::~HistoryDatabase() {
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool HistoryDatabase::fail(std::string& error, const std::string& what, const QString& why) {
    error = "settings history " + path_ + ": " + what + (why.isEmpty() ? "" : ": " + why.toStdString());
    return false;
}

bool HistoryDatabase::open(std::string& error) { return open_ || open_at_version(kSchemaVersion, error); }

bool HistoryDatabase::open_at_version(int version, std::string& error) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return fail(error, "cannot be opened", QStringLiteral("the SQLite driver of Qt is not installed"));
    QString why;
    if (!create_private_file(q(path_), why)) return fail(error, "cannot be created", why);
    if (!QSqlDatabase::contains(connection_)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        db.setDatabaseName(q(path_));
        // Another program holding the file locked must not freeze this one: give up
        // after a quarter of a second and say so.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=250"));
    }
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.isOpen() && !db.open()) return fail(error, "cannot be opened", db.lastError().text());
    QSqlQuery(db).exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    if (!migrate(version, error)) {
        db.close();
        return false;
    }
    open_ = version == kSchemaVersion;
    return true;
}

int HistoryDatabase::schema_version(QString* why) {
    if (!QSqlDatabase::contains(connection_)) return -1;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (query.exec(QStringLiteral("PRAGMA user_version")) && query.next()) return query.value(0).toInt();
    if (why) *why = query.lastError().text();
    return -1;
}

bool HistoryDatabase::migrate(int target, std::string& error) {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QString why;
    const int found = schema_version(&why);
    // Another program holding the file is no damage: say so, the next read or write
    // tries again.
    if (found < 0 && why.contains(QStringLiteral("locked"), Qt::CaseInsensitive))
        return fail(error, "is in use by another program", why);
    if (found < 0) return fail(error, "is not a readable database", why);
    if (found > kSchemaVersion)
        return fail(error, "was written by a newer version of the program (schema " + std::to_string(found) +
                               "); it is left as it is",
                    {});
    for (int v = found + 1; v <= target; ++v) {
        // Each step as a whole or not at all, its version number with it.
        if (!db.transaction()) return fail(error, "cannot be updated", db.lastError().text());
        QSqlQuery query(db);
        const Step& step = kSteps[v - 1];
        bool ok = true;
        for (std::size_t i = 0; ok && i < step.count; ++i) ok = query.exec(QString::fromLatin1(step.statements[i]));
        ok = ok && query.exec(QStringLiteral("PRAGMA user_version = %1").arg(v));
        if (!ok) {
            const QString why = query.lastError().text();
            db.rollback();
            return fail(error, "cannot be updated to schema " + std::to_string(v), why);
        }
        if (!db.commit()) {
            const QString why = db.lastError().text();
            db.rollback();
            return fail(error, "cannot be updated to schema " + std::to_string(v), why);
        }
    }
    return true;
}

bool HistoryDatabase::add(Snapshot& snap, std::string& error) {
    if (!open(error)) return false;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.transaction()) return fail(error, "the snapshot was not stored", db.lastError().text());
    QSqlQuery query(db);
    auto rollback = [&](const QString& why) {
        db.rollback();
        return fail(error, "the snapshot was not stored", why);
    };
    query.prepare(QStringLiteral(
        "INSERT INTO snapshots (taken_at, kind, relay_name, port, baud, address, firmware, user_name, program)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& v : {QVariant(q(snap.taken_at)), QVariant(q(kind_text(snap.kind))), QVariant(q(snap.relay_name)),
                              QVariant(q(snap.port)), QVariant(snap.baud), QVariant(snap.address),
                              QVariant(q(snap.firmware)), QVariant(q(snap.user)), QVariant(q(snap.program))})
        query.addBindValue(v);
    if (!query.exec()) return rollback(query.lastError().text());
    const qint64 id = query.lastInsertId().toLongLong();
    for (int block : {1, 2}) {
        const BlockBounds b = block_bounds(block);
        const QByteArray bytes(reinterpret_cast<const char*>(snap.setpoints.data()) + b.first,
                               static_cast<qsizetype>(b.last - b.first + 1));
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO snapshot_blocks (snapshot_id, block, registers) VALUES (?, ?, ?)"));
        insert.addBindValue(id);
        insert.addBindValue(block);
        insert.addBindValue(bytes);
        if (!insert.exec()) return rollback(insert.lastError().text());
    }
    if (!db.commit()) return rollback(db.lastError().text());
    snap.id = id;
    return true;
}

namespace {

Snapshot from_row(const QSqlQuery& r) {
    Snapshot snap;
    snap.id = r.value(0).toLongLong();
    snap.taken_at = s(r.value(1));
    snap.kind = kind_from_text(s(r.value(2))).value_or(SnapshotKind::AsFound);
    snap.relay_name = s(r.value(3));
    snap.port = s(r.value(4));
    snap.baud = r.value(5).toInt();
    snap.address = r.value(6).toInt();
    snap.firmware = s(r.value(7));
    snap.user = s(r.value(8));
    snap.program = s(r.value(9));
    return snap;
}

constexpr const char* kColumns = "id, taken_at, kind, relay_name, port, baud, address, firmware, user_name, program";

}  // namespace

std::optional<std::vector<Snapshot>> HistoryDatabase::list(std::string& error) {
    if (!open(error)) return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM snapshots ORDER BY id DESC").arg(QLatin1String(kColumns)))) {
        fail(error, "cannot be listed", query.lastError().text());
        return std::nullopt;
    }
    std::vector<Snapshot> out;
    while (query.next()) out.push_back(from_row(query));
    return out;
}

std::optional<Snapshot> HistoryDatabase::get(std::int64_t id, std::string& error) {
    if (!open(error)) return std::nullopt;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT %1 FROM snapshots WHERE id = ?").arg(QLatin1String(kColumns)));
    query.addBindValue(static_cast<qint64>(id));
    if (!query.exec()) {
        fail(error, "cannot be read", query.lastError().text());
        return std::nullopt;
    }
    if (!query.next()) {
        error = "there is no snapshot " + std::to_string(id) + " in the settings history";
        return std::nullopt;
    }
    Snapshot snap = from_row(query);
    QSqlQuery blocks(db);
    blocks.prepare(QStringLiteral("SELECT block, registers FROM snapshot_blocks WHERE snapshot_id = ?"));
    blocks.addBindValue(static_cast<qint64>(id));
    if (!blocks.exec()) {
        fail(error, "cannot be read", blocks.lastError().text());
        return std::nullopt;
    }
    int found = 0;
    while (blocks.next()) {
        const int block = blocks.value(0).toInt();
        const QByteArray bytes = blocks.value(1).toByteArray();
        const int size = block == 1 ? kBlock1Size : kBlock2Size;
        if ((block != 1 && block != 2) || bytes.size() != size) continue;
        std::copy(bytes.begin(), bytes.end(), snap.setpoints.begin() + block_bounds(block).first);
        found |= block;
    }
    if (found != 3) {
        fail(error, "snapshot " + std::to_string(id) + " is damaged", QStringLiteral("a setpoint block is missing"));
        return std::nullopt;
    }
    return snap;
}

}  // namespace neva::records
