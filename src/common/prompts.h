#pragma once
// Every message box, confirmation and save-file dialog of the program goes
// through this seam, so that tests can answer them without blocking.
#include <QString>

class QWidget;

class Prompts {
public:
    virtual ~Prompts() = default;
    // Information box with one OK button.
    virtual void Information(QWidget* parent, const QString& text) = 0;
    // Error box captioned "Talvessa" with an error icon and an OK button.
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // Yes/No question; true for Yes.
    virtual bool Confirm(QWidget* parent, const QString& caption, const QString& text) = 0;
    // Save-file dialog; the chosen path, or empty when cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter, const QString& defaultSuffix) = 0;
    // Folder dialog (a new folder may be made in it); the chosen folder, or empty when cancelled.
    virtual QString FolderName(QWidget* parent, const QString& title, const QString& folder) = 0;
};

// The prompts in force: the real dialogs unless a test installed others.
Prompts& prompts();
// Installs p (not owned) as the prompts in force; nullptr restores the real dialogs.
void SetPrompts(Prompts* p);
