#include "common/prompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

// The real dialogs.
class DialogPrompts : public Prompts {
public:
    void Information(QWidget* parent, const QString& text) override
    {
        QMessageBox::information(parent, QStringLiteral("Talvessa"), text, QMessageBox::Ok);
    }
    void Error(QWidget* parent, const QString& text) override
    {
        QMessageBox::critical(parent, QStringLiteral("Talvessa"), text, QMessageBox::Ok);
    }
    bool Confirm(QWidget* parent, const QString& caption, const QString& text) override
    {
        return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    QString SaveFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                         const QString& defaultSuffix) override
    {
        QFileDialog dialog(parent, title, folder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(defaultSuffix);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                      : QString();
    }
    QString FolderName(QWidget* parent, const QString& title, const QString& folder) override
    {
        return QFileDialog::getExistingDirectory(parent, title, folder);
    }
};

DialogPrompts realPrompts;
Prompts* current = nullptr;

}  // namespace

Prompts& prompts() { return current ? *current : realPrompts; }

void SetPrompts(Prompts* p) { current = p; }
