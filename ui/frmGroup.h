#pragma once

#include <QDialog>
#include <QList>

class Frame3D;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The group editor: creates or changes a project group file (its name, main project, linked
// projects and backup folder). Saving writes the file and closes the editor as accepted, with the
// file's path in SavedGroupFile(); closing any other way writes nothing.
class frmGroup : public QDialog {
    Q_OBJECT

public:
    // The boxes of the control array Text1 (the language files call them Text10 to Text13).
    enum Box {
        GroupFile = 0,    // the group file, chosen with DBpathDialog
        GroupName = 1,    // typed; the backup subfolder of the group's archives
        MainProject = 2,  // chosen with SavepathDialog
        BackupFolder = 3, // chosen with SetPathDialog
    };
    // The captions of the control array Label1 (Label10 to Label14).
    enum Caption {
        Heading = 0,
        LinkedProjectsCaption = 1,
        MainProjectCaption = 2,
        GroupNameCaption = 3,
        BackupFolderCaption = 4
    };

    explicit frmGroup(QWidget *parent = nullptr);

    QString SavedGroupFile() const { return savedGroupFile_; }

    QLineEdit *Text1(int index) const { return text1_.at(index); }
    QLabel *Label1(int index) const { return label1_.at(index); }
    QListWidget *List1() const { return list1_; }
    QPushButton *DBpathDialog(int) const { return dbPathDialog_; }
    QPushButton *SavepathDialog(int) const { return savePathDialog_; }
    QPushButton *SetPathDialog(int) const { return setPathDialog_; }
    QPushButton *btn_Plus() const { return btnPlus_; }
    QPushButton *btn_Moins() const { return btnMoins_; }
    QPushButton *btn_Group() const { return btnGroup_; }
    QPushButton *Btn_Annuler() const { return btnAnnuler_; }

private:
    void BuildControls();
    void ConnectHandlers();
    void ClearGroup();
    void LoadGroup(const QString &groupFile);
    bool InputError(int messageNumber, const QString &defaultText, QWidget *focus);

    void DBpathDialog_Click();
    void SavepathDialog_Click();
    void SetPathDialog_Click();
    void btn_Plus_Click();
    void btn_Moins_Click();
    void btn_Group_Click();

    QString savedGroupFile_;
    QList<QLineEdit *> text1_;
    QList<QLabel *> label1_;
    Frame3D *frame3D1_ = nullptr;
    QListWidget *list1_ = nullptr;
    QPushButton *dbPathDialog_ = nullptr;
    QPushButton *savePathDialog_ = nullptr;
    QPushButton *setPathDialog_ = nullptr;
    QPushButton *btnPlus_ = nullptr;
    QPushButton *btnMoins_ = nullptr;
    QPushButton *btnGroup_ = nullptr;
    QPushButton *btnAnnuler_ = nullptr;
};
