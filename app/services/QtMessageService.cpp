#include "services/QtMessageService.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "ui/ScreenFit.h"

namespace neva {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon qt_icon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Critical: return QMessageBox::Critical;
        case MsgIcon::Question: return QMessageBox::Question;
        case MsgIcon::Exclamation: return QMessageBox::Warning;
        case MsgIcon::Information: return QMessageBox::Information;
        case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

std::unique_ptr<QMessageBox> QtMessageService::build_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                                         const std::string& title, QWidget* parent) {
    const QString all = q(text);
    const qsizetype cut = all.indexOf('\n');
    auto box = std::make_unique<QMessageBox>(qt_icon(icon), q(title), cut < 0 ? all : all.left(cut),
                                             QMessageBox::NoButton, parent);
    if (cut >= 0) box->setInformativeText(all.mid(cut + 1));
    switch (buttons) {
        case MsgButtons::Ok: box->setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OkCancel:
            box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box->setDefaultButton(QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box->setDefaultButton(QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box->setDefaultButton(QMessageBox::Cancel);
            break;
    }
    // A message box sizes itself to its text, so a short text under a long title
    // ("Communication Error") cuts the title off. A spacer across the bottom of its
    // grid holds it open: the title, plus room for the window's icon and buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        const int want = width_for_title(box.get(), q(title));
        grid->addItem(new QSpacerItem(want, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    return box;
}

MsgAnswer QtMessageService::message_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                        const std::string& title) {
    const auto box = build_box(text, buttons, icon, title, parent_);
    const int r = box->exec();
    switch (r) {
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Ok: return MsgAnswer::Ok;
        default: break;
    }
    // Escape or the close box on a Yes/No question counts as No, as it does on the
    // boxes the relay's users know; elsewhere it is Cancel (or OK on an OK-only box).
    if (buttons == MsgButtons::YesNo) return MsgAnswer::No;
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return MsgAnswer::Cancel;
}

std::optional<std::string> QtMessageService::input_box(const std::string& prompt, const std::string& title,
                                                       const std::string& default_text) {
    bool ok = false;
    QString answer = QInputDialog::getText(parent_, q(title), q(prompt), QLineEdit::Normal, q(default_text), &ok);
    if (!ok) return std::nullopt;
    return answer.toStdString();
}

QStringList QtMessageService::qt_filters(const std::string& filter) {
    QStringList items = q(filter).split('|');
    // The text ends with a bar, which leaves one empty item at the end.
    if (!items.isEmpty() && items.back().isEmpty()) items.removeLast();
    QStringList out;
    for (int i = 0; i + 1 < items.size(); i += 2) {
        QString description = items[i].trimmed();
        QStringList patterns = items[i + 1].split(';', Qt::SkipEmptyParts);
        for (auto& p : patterns) {
            p = p.trimmed();
            if (p == "*.*") p = "*";
        }
        const QString joined = patterns.join(' ');
        QString shown = description;
        // Qt reads the patterns from the last bracket of the name, so the bracket
        // must hold the real pattern ("(*)" rather than "(*.*)").
        const int open = shown.lastIndexOf('(');
        if (open >= 0 && shown.endsWith(')')) shown = shown.left(open).trimmed();
        out << QStringLiteral("%1 (%2)").arg(shown, joined);
    }
    return out;
}

std::optional<std::string> QtMessageService::file_dialog(const FileDialogSetup& setup, bool save) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = qt_filters(setup.filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
    QFileDialog::Options options;
    if (!setup.overwrite_prompt) options |= QFileDialog::DontConfirmOverwrite;
    // Qt's dialog has no "open as read-only" box, so hide_read_only needs nothing.
    dialog.setOptions(options);
    // "*.NEVA2" as a starting name is a pattern, not a file: the filter already shows it.
    if (!setup.initial_name.empty() && setup.initial_name.find('*') == std::string::npos)
        dialog.selectFile(q(setup.initial_name));
    // A name typed without an extension gets the one of the first filter ("*.NEVA2", "*.png").
    if (save) {
        const QString first = q(setup.filter).section('|', 1, 1).section(';', 0, 0).trimmed();
        if (first.startsWith(QLatin1String("*.")) && first != QLatin1String("*.*")) dialog.setDefaultSuffix(first.mid(2));
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
    return files.front().toStdString();
}

std::optional<std::string> QtMessageService::open_file_name(const FileDialogSetup& setup) {
    return file_dialog(setup, false);
}

std::optional<std::string> QtMessageService::save_file_name(const FileDialogSetup& setup) {
    return file_dialog(setup, true);
}

}  // namespace neva
