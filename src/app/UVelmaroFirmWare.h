#pragma once

#include "widgets/AppContext.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace velmaro {

class AppWindows;

// The main window: the four steps, the hidden editor buttons and their shared dispatcher.
class TFVelmaroFirmWare : public QWidget
{
    Q_OBJECT
public:
    TFVelmaroFirmWare(AppContext& context, AppWindows& windows, const QString& appDir);

    // Initial directory of the spreadsheet open dialog used by the table editors; follows ProjectDir.
    const QString& OpenExcelInitialDir() const { return m_openExcelDir; }

    QPushButton* New = nullptr;
    QPushButton* open = nullptr;
    QPushButton* btn_Prm_Gen = nullptr;
    QPushButton* btn_Gds = nullptr;
    QPushButton* CreateBin = nullptr;
    QPushButton* btn_Sdo = nullptr;
    QPushButton* btn_Pdo = nullptr;
    QPushButton* btn_Info_Pdo = nullptr;
    QPushButton* btn_Emcy = nullptr;
    QPushButton* btn_Emcy_Wd = nullptr;
    QPushButton* about = nullptr;
    QPushButton* LbButton1 = nullptr;
    QLabel* Label1 = nullptr;

    // What start-up found wrong (a folder that cannot be made, an INI file that cannot be read) and
    // `first`, in one plain message box; called once the windows are built and the main window shown.
    void ShowStartupMessages(const QString& first = QString());

    void NewaClick();
    void OpenaClick();
    void btn_str_lng1aClick(QObject* sender);
    void CreateBinaClick();
    void AboutClick();
    void LbButton1Click();
    void Label1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const QString& appDir);
    bool FormClose();
    void buildControls();
    void showGsdFileSequence();
    // The one place where the main window learns that an editor closed with OK.
    void editorClosedWithOk(QPushButton* opener);
    void setCaption(bool withName);
    void showCaptionAsHeld();

    AppContext& m_context;
    AppWindows& m_windows;
    QString m_openExcelDir;
    QStringList m_startupNotices;
};

// The maker's web address as shown, and the home page opened from the main window and the About window.
QString MakerWebAddress();
QString MakerHomePage();

} // namespace velmaro
