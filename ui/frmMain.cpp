#include "frmMain.h"

#include "Artwork.h"
#include "ClickableImage.h"
#include "Controls.h"
#include "Frame3D.h"
#include "GroupFile.h"
#include "LanguageStrings.h"
#include "LocaleId.h"
#include "OperationsFichiers.h"
#include "ComponentVersion.h"
#include "VisualBasicGroup.h"
#include "WindowObserver.h"
#include "modMain.h"

#include <QApplication>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kTitle = QString::fromLatin1(kProgramTitle);

QFont Scaled(QFont font, double factor, bool bold)
{
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

} // namespace

frmMain::frmMain(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Visual Basic 6 Sources Archiver"));
    setWindowIcon(Artwork::AppIcon());
    BuildControls();
    observer_ = std::make_unique<WindowObserver>(this, VistaProg1(), VistaProg2(), Label2());
    job_ = std::make_unique<ArchiveJob>(*observer_);
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::BuildControls()
{
    frame3D1_ = Named(new Frame3D, QStringLiteral("Frame3D1"));
    auto *frameLayout = new QVBoxLayout(frame3D1_);
    frameLayout->setContentsMargins(16, 12, 16, 16);
    frameLayout->setSpacing(12);
    frameLayout->addWidget(BuildStartChoices());

    // The archive panel lies over the logo, the title and the last-folder button when shown.
    auto *lowerArea = new QWidget;
    auto *stack = new QStackedLayout(lowerArea);
    stack->setStackingMode(QStackedLayout::StackAll);
    stack->addWidget(BuildLogoArea());
    panel_ = new ArchivePanel;
    stack->addWidget(panel_);
    stack->setCurrentWidget(panel_); // raised above the logo; hidden until a choice is made
    panel_->hide();
    frameLayout->addWidget(lowerArea, 1);

    btnValider_ = Named(new QPushButton(QStringLiteral("&Archive")), QStringLiteral("Btn_Valider"));
    btnValider_->setDefault(true);
    btnAnnuler_ = Named(new QPushButton(QStringLiteral("&Quit")), QStringLiteral("Btn_Annuler"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnValider_);
    buttons->addWidget(btnAnnuler_);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(frame3D1_, 1);
    layout->addLayout(buttons);
    layout->addWidget(BuildNoticeStrip());
    setMinimumSize(760, 600);
}

QWidget *frmMain::BuildStartChoices()
{
    image1_ = {Named(new ClickableImage(Artwork::ArchiveDecoration(), 32), QStringLiteral("Image1"), Decoration),
               Named(new ClickableImage(Artwork::ComponentInfo(), 32), QStringLiteral("Image1"), ComponentVersion),
               Named(new ClickableImage(Artwork::Help(), 48), QStringLiteral("Image1"), Help),
               Named(new ClickableImage(Artwork::AppIcon(), 64), QStringLiteral("Image1"), Logo),
               Named(new ClickableImage(Artwork::Unzip(), 32), QStringLiteral("Image1"), Unzip)};
    image1_[Unzip]->setToolTip(QStringLiteral("Unzip..."));
    for (int index : {ComponentVersion, Help, Unzip})
        image1_[index]->setCursor(Qt::PointingHandCursor);

    tessbutton1_ =
        Named(new QPushButton(QStringLiteral("Create or modify a project group")), QStringLiteral("Tessbutton1"));
    lblOR_ = Coloured(Named(new QLabel(QStringLiteral("OR")), QStringLiteral("lblOR")), kChoiceBlue);
    lblOR_->setAlignment(Qt::AlignCenter);
    dbPathDialog_ = Named(new QPushButton(QStringLiteral("Choose a project group or source file on disk")),
                          QStringLiteral("DBpathDialog"), 0);
    for (QPushButton *choice : {tessbutton1_, dbPathDialog_})
        choice->setMinimumHeight(36);

    auto *choices = new QVBoxLayout;
    choices->setSpacing(6);
    choices->addWidget(tessbutton1_);
    choices->addWidget(lblOR_);
    choices->addWidget(dbPathDialog_);

    auto *top = new QWidget;
    auto *grid = new QGridLayout(top);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(image1_[Help], 0, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addLayout(choices, 0, 1, Qt::AlignHCenter);
    grid->addWidget(image1_[Unzip], 0, 2, Qt::AlignRight | Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    // Equal side columns keep the choices centred on the window.
    grid->setColumnMinimumWidth(0, 48);
    grid->setColumnMinimumWidth(2, 48);
    return top;
}

QWidget *frmMain::BuildLogoArea()
{
    label3_ = Coloured(Named(new QLabel(kTitle), QStringLiteral("Label3")), kChoiceBlue);
    label3_->setFont(Scaled(label3_->font(), 2.0, true));
    lblLabel4_ = Named(new QLabel(QStringLiteral("Version ")), QStringLiteral("lblLabel4"));
    corvaOpenThe_ =
        Named(new QPushButton(QStringLiteral("Open the last backup folder...")), QStringLiteral("CorvaOpenThe"));
    corvaOpenThe_->setIcon(Artwork::FolderButton());
    corvaOpenThe_->hide();

    auto *area = new QWidget;
    auto *layout = new QVBoxLayout(area);
    layout->addStretch();
    for (QWidget *widget : std::initializer_list<QWidget *>{image1_[Logo], label3_, lblLabel4_})
        layout->addWidget(widget, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addWidget(corvaOpenThe_, 0, Qt::AlignHCenter);
    layout->addStretch();
    label3_->setAlignment(Qt::AlignCenter);
    lblLabel4_->setAlignment(Qt::AlignCenter);
    return area;
}

QWidget *frmMain::BuildNoticeStrip()
{
    frame3D2_ = Named(new Frame3D, QStringLiteral("Frame3D2"));
    frame3D2_->setText(QStringLiteral("Quenzar - Visual Basic 6 source backup - 2026-"));
    frame3D2_->setCursor(Qt::PointingHandCursor);
    auto *layout = new QHBoxLayout(frame3D2_);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(image1_[Decoration]);
    layout->addWidget(frame3D2_->captionLabel(), 1);
    layout->addWidget(image1_[ComponentVersion]);
    return frame3D2_;
}

void frmMain::Form_Load()
{
    ProgramState &program = Program();
    program.CurrentLanguage = GetLanguageCode(UserLocaleId());
    program.HelpLanguage = ReadIni(QStringLiteral("Setup"), QStringLiteral("lng"), QStringLiteral("en"),
                                   LanguageFilePath(program.CurrentLanguage));
    LoadStrings(program.CurrentLanguage);
    TranslateForm(this, program.CurrentLanguage);
    WidenStartChoices();
    ShowVersionTexts();
    OpenCommandLineGroup();
    frame3D2_->setText(frame3D2_->text() + QString::number(QDate::currentDate().year()));
    corvaOpenThe_->setText(LocalString(20, QStringLiteral("Open the last backup folder...")));
    if (!LastBackupFolder().isEmpty())
        corvaOpenThe_->show();
    ConnectHandlers();
}

// The two start choices share one width, with room around the longer text of the language in use.
void frmMain::WidenStartChoices()
{
    int width = 380;
    for (QPushButton *choice : {tessbutton1_, dbPathDialog_})
        width = std::max(width, choice->fontMetrics().horizontalAdvance(choice->text()) + 48);
    for (QPushButton *choice : {tessbutton1_, dbPathDialog_})
        choice->setMinimumWidth(width);
}

void frmMain::ShowVersionTexts()
{
    image1_[ComponentVersion]->setToolTip(QStringLiteral("    Toolbox version ") + ComponentVersionText()
                                          + QStringLiteral("    "));
    const QString framed = QStringLiteral("    Version ") + ProgramVersionText() + QStringLiteral("    ");
    image1_[Logo]->setToolTip(framed);
    label3_->setToolTip(framed);
    lblLabel4_->setText(QStringLiteral("Version ") + ProgramVersionText());
    frame3D2_->setToolTip(framed);
}

// A project file or a Visual Basic group given by the file manager (the desktop entry declares ".vbp"
// and ".vbg") is chosen as the open-file dialog would choose it; anything else on the command line is
// ignored.
void frmMain::OpenCommandLineGroup()
{
    const QString commandLine = Program().CommandLine;
    if (NamesGroupFile(commandLine) && FileExists(commandLine))
        LoadGroupIntoWindow(commandLine);
    else if ((commandLine.endsWith(QLatin1String(".vbp"), Qt::CaseInsensitive) || IsVisualBasicGroupFile(commandLine))
             && FileExists(commandLine))
        ChooseProjectOrGroup(commandLine);
}

void frmMain::ConnectHandlers()
{
    connect(dbPathDialog_, &QPushButton::clicked, this, &frmMain::DBpathDialog_Click);
    connect(tessbutton1_, &QPushButton::clicked, this, &frmMain::Tessbutton1_Click);
    connect(btnValider_, &QPushButton::clicked, this, &frmMain::Btn_Valider_Click);
    connect(btnAnnuler_, &QPushButton::clicked, this, &frmMain::Btn_Annuler_Click);
    connect(panel_->Timer1(), &QTimer::timeout, this, &frmMain::Timer1_Timer);
    connect(job_.get(), &ArchiveJob::finished, this, &frmMain::RunEnded);
    for (int index = 0; index < image1_.size(); ++index)
        connect(image1_[index], &ClickableImage::clicked, this, [this, index] { Image1_Click(index); });
    connect(frame3D2_, &Frame3D::clicked, this, &frmMain::Frame3D2_Click);
    connect(corvaOpenThe_, &QPushButton::clicked, this, &frmMain::CorvaOpenThe_Click);
    setAcceptDrops(true);
}
