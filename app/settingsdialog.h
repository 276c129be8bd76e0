#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QToolButton;

// "Beállítások": the ini-kept settings of the running program and the
// settings row of the database.
class Tfrm_Beallit : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrm_Beallit(QWidget *parent = nullptr);

    QCheckBox *fullScreenBox() const { return m_fullScreen; }
    QLineEdit *databaseEdit() const { return m_database; }
    QLineEdit *htmlEdit() const { return m_html; }
    QCheckBox *loginBox() const { return m_login; }
    QLineEdit *senderNameEdit() const { return m_senderName; }
    QLineEdit *senderEmailEdit() const { return m_senderEmail; }
    QToolButton *databaseButton() const { return m_browseDb; }
    QToolButton *htmlButton() const { return m_browseHtml; }
    QLineEdit *backupEdit() const { return m_backup; }
    QToolButton *backupButton() const { return m_browseBackup; }
    QSpinBox *reminderBox() const { return m_reminder; }
    QLineEdit *feedEdit() const { return m_feed; }
    QToolButton *feedButton() const { return m_browseFeed; }

    void loadFromRow();     // bound controls from the settings row in edit mode
    void storeIntoRow();    // controls the user touched into the edit buffer

protected:
    void done(int result) override;

private:
    void chooseDatabase();
    void chooseHtmlDir();
    void chooseBackupDir();
    void chooseFeedDir();

    QCheckBox *m_fullScreen = nullptr;
    QLineEdit *m_database = nullptr;
    QLineEdit *m_html = nullptr;
    QToolButton *m_browseDb = nullptr;
    QToolButton *m_browseHtml = nullptr;
    QLineEdit *m_backup = nullptr;
    QToolButton *m_browseBackup = nullptr;
    QCheckBox *m_login = nullptr;
    QLineEdit *m_senderName = nullptr;
    QLineEdit *m_senderEmail = nullptr;
    QSpinBox *m_reminder = nullptr;
    QLineEdit *m_feed = nullptr;
    QToolButton *m_browseFeed = nullptr;
    bool m_loginTouched = false;
};

// Opens the settings window (modal); true when closed with OK.
bool EditSettings(QWidget *parent);
