#pragma once
// Message boxes, the input box and the file dialogs of the program, on Qt. Every
// window goes through neva::MessageService, never through QMessageBox or QFileDialog
// directly, so tests can script the answers with a fake.

#include <QString>
#include <QStringList>
#include <memory>

#include "platform/MessageService.h"

class QMessageBox;
class QWidget;

namespace neva {

class QtMessageService : public MessageService {
public:
    // `parent` is the window the boxes are centred on (may be null).
    explicit QtMessageService(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    MsgAnswer message_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                          const std::string& title) override;
    std::optional<std::string> input_box(const std::string& prompt, const std::string& title,
                                         const std::string& default_text) override;
    std::optional<std::string> open_file_name(const FileDialogSetup& setup) override;
    std::optional<std::string> save_file_name(const FileDialogSetup& setup) override;

    // "NEVA Files (*.NEVA2)|*.NEVA2|All Files (*.*)|*.*|" becomes the Qt name
    // filters {"NEVA Files (*.NEVA2)", "All Files (*)"}: description|pattern pairs,
    // each item ended by a bar. The description keeps its text (leading blanks
    // trimmed); the pattern list is put in brackets after it when the description
    // does not already show it, and "*.*" means every file, also those without a dot.
    static QStringList qt_filters(const std::string& filter);

    // The box message_box() shows, built but not run. The text up to its first line
    // break is the message itself; what follows is the cause and what to check, shown
    // as the box's informative text. A question defaults to the answer that changes
    // nothing (No, or Cancel), so a hurried Enter never resets, clears or leaves. The
    // box is at least wide enough for its whole title.
    static std::unique_ptr<QMessageBox> build_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                                  const std::string& title, QWidget* parent);

private:
    std::optional<std::string> file_dialog(const FileDialogSetup& setup, bool save);
    QWidget* parent_;
};

}  // namespace neva
