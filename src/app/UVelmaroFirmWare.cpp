#include "app/UVelmaroFirmWare.h"

#include "app/AppWindows.h"
#include "app/UAbout.h"
#include "app/Unewp.h"
#include "app/Workspace.h"
#include "canopen/UInfoPdo.h"
#include "canopen/UWemcy.h"
#include "canopen/Uemcy.h"
#include "canopen/Updo.h"
#include "device/GsdFile.h"
#include "device/ParameterImage.h"
#include "device/UBootSer.h"
#include "mapping/USetVar.h"
#include "platform/FileSystem.h"
#include "settings/Upargen.h"
#include "widgets/TransientNote.h"
#include "widgets/WindowStyle.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace velmaro {

QString MakerWebAddress()
{
    return QStringLiteral("www.quorvane.example");
}

QString MakerHomePage()
{
    return QStringLiteral("https://") + MakerWebAddress() + QStringLiteral("/HOME/default.asp?frompg=TQ4712");
}

TFVelmaroFirmWare::TFVelmaroFirmWare(AppContext& context, AppWindows& windows, const QString& appDir)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_context(context),
      m_windows(windows)
{
    setObjectName(QStringLiteral("FVelmaroFirmWare"));
    buildControls();
    FormCreate(appDir);
}

void TFVelmaroFirmWare::buildControls()
{
    auto button = [this](QPushButton*& b, const char* name, const QString& caption) {
        b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    auto stepLabel = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        return l;
    };

    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(button(about, "about", QStringLiteral("About")));
    top->addWidget(button(LbButton1, "LbButton1", QStringLiteral("X")));
    about->setMaximumWidth(60);
    LbButton1->setMaximumWidth(30);

    auto* steps = new QGridLayout;
    steps->addWidget(stepLabel("Label2", QStringLiteral("Step 1")), 0, 0);
    steps->addWidget(button(New, "New", QStringLiteral("New project")), 0, 1);
    steps->addWidget(button(open, "open", QStringLiteral("Open project")), 0, 2);
    steps->addWidget(stepLabel("Label3", QStringLiteral("Step 2")), 1, 0);
    steps->addWidget(button(btn_Prm_Gen, "btn_Prm_Gen", QStringLiteral("Set Communication")), 1, 1);
    steps->addWidget(stepLabel("Label4", QStringLiteral("Step 3")), 2, 0);
    steps->addWidget(button(btn_Gds, "btn_Gds", QStringLiteral("GSD File")), 2, 1);
    steps->addWidget(stepLabel("Label5", QStringLiteral("Step 4")), 3, 0);
    steps->addWidget(button(CreateBin, "CreateBin", QStringLiteral("Update Device")), 3, 1);
    steps->setHorizontalSpacing(12);
    steps->setVerticalSpacing(10);
    for (QPushButton* b : {New, open, btn_Prm_Gen, btn_Gds, CreateBin})
        b->setMinimumWidth(150);

    auto* hidden = new QHBoxLayout;
    hidden->addWidget(button(btn_Sdo, "btn_Sdo", QStringLiteral("Set Access ")));
    hidden->addWidget(button(btn_Pdo, "btn_Pdo", QStringLiteral("Set Traslate PDO")));
    hidden->addWidget(button(btn_Info_Pdo, "btn_Info_Pdo", QStringLiteral("Define store PDO")));
    hidden->addWidget(button(btn_Emcy, "btn_Emcy", QStringLiteral("Set Traslate EMCY")));
    hidden->addWidget(button(btn_Emcy_Wd, "btn_Emcy_Wd", QStringLiteral("Define EMCY Word")));
#ifndef VELMARO_SHOW_HIDDEN_EDITORS
    // This configuration hides the mapping and CANopen editors; their dispatch stays wired.
    for (QPushButton* b : {btn_Sdo, btn_Pdo, btn_Info_Pdo, btn_Emcy, btn_Emcy_Wd})
        b->setVisible(false);
#endif

    Label1 = new QLabel(MakerWebAddress(), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    MakeWebLink(Label1, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(steps);
    layout->addLayout(hidden);
    layout->addLayout(ButtonRow({}, {Label1}));

    connect(New, &QPushButton::clicked, this, &TFVelmaroFirmWare::NewaClick);
    connect(open, &QPushButton::clicked, this, &TFVelmaroFirmWare::OpenaClick);
    for (QPushButton* b : {btn_Prm_Gen, btn_Gds, btn_Sdo, btn_Pdo, btn_Info_Pdo, btn_Emcy, btn_Emcy_Wd})
        connect(b, &QPushButton::clicked, this, [this, b] { btn_str_lng1aClick(b); });
    connect(CreateBin, &QPushButton::clicked, this, &TFVelmaroFirmWare::CreateBinaClick);
    connect(about, &QPushButton::clicked, this, &TFVelmaroFirmWare::AboutClick);
    connect(LbButton1, &QPushButton::clicked, this, &TFVelmaroFirmWare::LbButton1Click);

    adjustSize();
    setFixedSize(sizeHint());
}

void TFVelmaroFirmWare::FormCreate(const QString& appDir)
{
    Status folders;
    Status ini;
    const bool withName = RestoreLastProject(m_context.paths, appDir, &folders, &ini);
    // Without MASTER or PROJECTS no project can be created or saved; said once, when the window is shown.
    for (const Status& notice : {folders, ini}) {
        if (!notice.ok())
            m_startupNotices << notice.error();
    }
    setCaption(withName);
    m_openExcelDir = m_context.paths.ProjectDir;
    SetDocumentPaths(m_context.paths);
}

void TFVelmaroFirmWare::ShowStartupMessages(const QString& first)
{
    QStringList notices = m_startupNotices;
    if (!first.isEmpty())
        notices.prepend(first);
    m_startupNotices.clear();
    if (!notices.isEmpty())
        m_context.messages.showMessage(notices.join(QStringLiteral("\n\n")));
}

void TFVelmaroFirmWare::setCaption(bool withName)
{
    setWindowTitle(withName ? CaptionWithName(m_context.paths) : MainCaption);
    showCaptionAsHeld();
}

void TFVelmaroFirmWare::showCaptionAsHeld()
{
    // Qt reads "[*]" in a title as the place of its unsaved-changes mark and leaves it out of the
    // title it shows; a project name may contain it, so the shown title is set to the caption as held.
    if (QWindow* window = windowHandle())
        window->setTitle(windowTitle());
}

bool TFVelmaroFirmWare::FormClose()
{
    const Status saved = SaveLastProject(m_context.paths);
    if (saved.ok())
        return true;
    m_context.messages.showMessage(saved.error());
    // Otherwise a window whose INI file cannot be written could never be closed.
    return m_context.messages.askYesNo(CloseWithoutRememberingText);
}

void TFVelmaroFirmWare::closeEvent(QCloseEvent* event)
{
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TFVelmaroFirmWare::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    showCaptionAsHeld(); // the system window may have been created with the caption changed
    CentreOnScreen(this);
}

bool TFVelmaroFirmWare::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label1 && IsLinkActivation(event)) {
        Label1Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TFVelmaroFirmWare::NewaClick()
{
    TFsaveproj& dialog = *m_windows.Fsaveproj;
    dialog.SaveProjMode = 0;
    dialog.NewProjectDest = m_context.paths.ProjectsDir;
    if (m_context.modal.exec(dialog) == QDialog::Accepted) {
        setCaption(true);
        m_openExcelDir = m_context.paths.ProjectDir;
        ShowNote(New, QStringLiteral("Created project %1").arg(DisplayPath(m_context.paths.ProjectName)));
    } else {
        setCaption(false);
    }
}

void TFVelmaroFirmWare::OpenaClick()
{
    OpenProject(m_context.paths, m_context.dialogs, &m_context.messages);
    setCaption(true);
    m_openExcelDir = m_context.paths.ProjectDir;
}

void TFVelmaroFirmWare::btn_str_lng1aClick(QObject* sender)
{
    if (m_context.paths.ProjectDir.isEmpty()) {
        m_context.messages.showMessage(QStringLiteral("Project not valid"));
        return;
    }
    QDialog* editor = nullptr;
    if (sender == btn_Sdo)
        editor = m_windows.FSetVar;
    else if (sender == btn_Pdo)
        editor = m_windows.Fpdo;
    else if (sender == btn_Info_Pdo)
        editor = m_windows.FInfopdo;
    else if (sender == btn_Emcy)
        editor = m_windows.Femcy;
    else if (sender == btn_Emcy_Wd)
        editor = m_windows.FWemcy;
    else if (sender == btn_Gds)
        showGsdFileSequence();
    else if (sender == btn_Prm_Gen)
        editor = m_windows.Fpargen;
    if (editor && m_context.modal.exec(*editor) == QDialog::Accepted)
        editorClosedWithOk(static_cast<QPushButton*>(sender));
}

void TFVelmaroFirmWare::editorClosedWithOk(QPushButton* opener)
{
    // An editor's OK saves its document and closes it.
    const QString document = opener == btn_Sdo        ? SdoXmlName
                             : opener == btn_Pdo      ? RpdoDefXmlName
                             : opener == btn_Info_Pdo ? SdoPdoXmlName
                             : opener == btn_Emcy     ? EmcyDefXmlName
                             : opener == btn_Emcy_Wd  ? EmcyWordXmlName
                                                      : PargenXmlName;
    ShowNote(opener, QStringLiteral("Saved %1").arg(document));
}

void TFVelmaroFirmWare::showGsdFileSequence()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("Generic Station Description (*.gsd)|*.gsd");
    request.initialDir = m_context.paths.ProjectDir;
    request.defaultExt = QStringLiteral("gsd");
    // <project name>.gsd in the project folder (the fallback project in PROJECTS has no name to give).
    const ProjectPaths& p = m_context.paths;
    if (p.ProjectDir.size() > p.ProjectsDir.size() + 1)
        request.initialName = QFileInfo(NativePath(p.ProjectDir)).fileName() + QStringLiteral(".gsd");
    const std::optional<QString> fileName = m_context.dialogs.saveFile(request);
    if (!fileName)
        return;
    // The generator follows ProjectDir as it is now.
    const Status written = GenerateGsdFile(ProjectPathsOf(m_context.paths.ProjectDir), *fileName);
    if (!written.ok()) {
        m_context.messages.showError(written.error());
        return;
    }
    ShowNote(btn_Gds, QStringLiteral("Wrote %1").arg(QFileInfo(NativePath(*fileName)).fileName()));
}

void TFVelmaroFirmWare::CreateBinaClick()
{
    // A failed build ends the action: bank.bin keeps its content and the dialog stays closed. A failed
    // write is reported, and the dialog still opens so that a firmware-only update stays possible.
    const QString projectDir = m_context.paths.ProjectDir;
    if (projectDir.isEmpty()) {
        // Without a project every path would start at the root of the file system.
        m_context.messages.showMessage(QStringLiteral("Project not valid"));
        return;
    }
    const ProjectPaths project = ProjectPathsOf(projectDir);
    const Result<ParameterImage> image = BuildParameterImage(project);
    if (!image.ok()) {
        m_context.messages.showError(image.error());
        return;
    }
    const Status written = WriteParameterImage(*image, project.BankBinPath);
    if (!written.ok())
        m_context.messages.showError(written.error());
    m_context.modal.exec(*m_windows.FBootSer);
}

void TFVelmaroFirmWare::AboutClick()
{
    m_context.modal.exec(*m_windows.FAbout);
}

void TFVelmaroFirmWare::LbButton1Click()
{
    close();
}

void TFVelmaroFirmWare::Label1Click()
{
    m_context.shell.openAddress(MakerHomePage());
}

} // namespace velmaro
