#pragma once
// Every message box, question and file or folder chooser of the wizard goes through one
// Prompter, so that tests can answer them without a screen.

#include <QString>

class QWidget;

namespace lazarine::ui {

// The caption of every page and message box.
inline constexpr const char* kApplicationTitle = "Quarnel Lazarine v22.0";

class Prompter {
public:
    enum class Icon { None, Information, Question };

    virtual ~Prompter() = default;
    // A modal message with an OK button.
    virtual void message(QWidget* parent, const QString& text, Icon icon = Icon::Information) = 0;
    // A Yes/No question; true for Yes.
    virtual bool ask(QWidget* parent, const QString& text, Icon icon = Icon::Question) = 0;
    // A folder of the file system, or an empty string when the user cancelled.
    virtual QString chooseFolder(QWidget* parent, const QString& title,
                                 const QString& startFolder) = 0;
    // An existing file, or an empty string when the user cancelled.
    virtual QString chooseFile(QWidget* parent, const QString& title) = 0;
};

// The real dialogs.
class DialogPrompter final : public Prompter {
public:
    void message(QWidget* parent, const QString& text, Icon icon) override;
    bool ask(QWidget* parent, const QString& text, Icon icon) override;
    QString chooseFolder(QWidget* parent, const QString& title,
                         const QString& startFolder) override;
    QString chooseFile(QWidget* parent, const QString& title) override;
};

}  // namespace lazarine::ui
