#include "app/main_dialog.h"

#include <exception>

#include "app/finish.h"
#include "app/network_state.h"
#include "app/pipeline.h"
#include "config/paths.h"
#include "config/settings.h"
#include "config/text.h"
#include "resource.h"
#include "support/exception.h"
#include "support/logger.h"
#include "ui/zav3d_loader_standard_dlg.h"

namespace {

CZav3DLoaderDlg* g_mainDialog = nullptr;

const COLORREF kCompanionKeyColor = RGB(0, 255, 0);
const Gdiplus::ARGB kLabelColor = 0xFFBC722F;

}  // namespace

CZav3DLoaderDlg::CZav3DLoaderDlg()
    : CTranslucentDialog(IDD_ZAV3DLOADER_DIALOG, IDB_BACKGROUND, nullptr),
      icon_(::LoadIconW(fw::ResourceInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      cursor_(::LoadCursorW(fw::ResourceInstance(), MAKEINTRESOURCEW(IDC_LOADER_CURSOR))) {
    g_mainDialog = this;
}

CZav3DLoaderDlg::~CZav3DLoaderDlg() {
    if (g_mainDialog == this) g_mainDialog = nullptr;
}

CZav3DLoaderDlg* CZav3DLoaderDlg::Main() noexcept { return g_mainDialog; }

void CZav3DLoaderDlg::DoDataExchange() {
    BindControl(IDC_CLOSE_BUTTON, closeButton_);
    BindControl(IDC_START_BUTTON, startButton_);
    BindControl(IDC_STATUS_LABEL, statusLabel_);
    BindControl(IDC_DETAIL_LABEL, detailLabel_);
    BindControl(IDC_PROGRESS, progressBar_);
}

CStandardDialog* CZav3DLoaderDlg::MakeCompanionDialog() {
    return new CZav3DLoaderStandardDlg(IDD_COMPANION, this, kCompanionKeyColor);
}

BOOL CZav3DLoaderDlg::OnInitDialog() {
    CTranslucentDialog::OnInitDialog();

    ::SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    if (!IsNetworkAvailable()) {
        MessageBox(L"当前网络不可用,请稍后再试。", L"错误", MB_OK);
        EndDialog(IDCANCEL);
        return FALSE;
    }

    if (!InitSettings()) {
        MessageBox(L"初始化配置文件失败", L"错误", MB_OK);
        EndDialog(IDCANCEL);
        return FALSE;
    }

    // Logging starts here, once the client root folder is known.
    InitLogging();

    SetUpControls();

    if (AppSettings().autoUpdate) {
        statusLabel_.SetText(L"正在获取最新版本...");
        try {
            StartVersionCheck();
        } catch (const std::exception& e) {
            MessageBox(WideFromUtf8(e.what()), ApplicationName(), MB_OK);
            EndDialog(IDCANCEL);
            return FALSE;
        } catch (const Exception& e) {
            MessageBox(e.Message(), ApplicationName(), MB_OK);
        }
    }
    return TRUE;
}

void CZav3DLoaderDlg::SetUpControls() {
    closeButton_.SetStateImages(StateImageIds{IDB_CLOSE_NORMAL, IDB_BUTTON_DISABLED, IDB_CLOSE_HOVER,
                                              IDB_CLOSE_PRESSED, 0});
    startButton_.SetStateImages(StateImageIds{IDB_START_NORMAL, IDB_BUTTON_DISABLED, IDB_START_HOVER,
                                              IDB_START_PRESSED, 0});
    for (CTranslucentLabel* label : {&statusLabel_, &detailLabel_}) {
        label->SetTextSize(16.0f);
        label->Style().SetColor(kLabelColor);
        label->Style().SetAlignment(Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentCenter);
        label->SetWindowText(L"");
    }
    progressBar_.SetFillImage(IDB_PROGRESS_FILL);
    progressBar_.SetValueRange(0, 100);
    progressBar_.SetValue(0);
    // The start button waits for the update to finish. Its look is switched
    // before it is registered, so the composition below already shows it and
    // no second composition is spent before the window first appears.
    startButton_.OnEnable(FALSE);

    AddControl(&closeButton_);
    AddControl(&startButton_);
    AddControl(&statusLabel_);
    AddControl(&detailLabel_);
    AddControl(&progressBar_);
    Recompose();
}

bool CZav3DLoaderDlg::OnCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED) return false;
    if (id == IDC_CLOSE_BUTTON) {
        OnCancel();
        return true;
    }
    if (id == IDC_START_BUTTON) {
        OnStartClicked();
        return true;
    }
    return false;
}

void CZav3DLoaderDlg::OnStartClicked() {
    if (startButton_.IsDisabled()) return;
    startButton_.OnEnable(FALSE);  // a second click is ignored
    LaunchGame();
}

void CZav3DLoaderDlg::OnPaint() {
    if (::IsIconic(GetSafeHwnd())) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(GetSafeHwnd(), &ps);
        ::SendMessageW(GetSafeHwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        const RECT client = GetClientRect();
        const int iconWidth = ::GetSystemMetrics(SM_CXICON);
        const int iconHeight = ::GetSystemMetrics(SM_CYICON);
        const int x = (client.right - client.left - iconWidth + 1) / 2;
        const int y = (client.bottom - client.top - iconHeight + 1) / 2;
        ::DrawIcon(dc, x, y, icon_);
        ::EndPaint(GetSafeHwnd(), &ps);
        return;
    }
    Default(WM_PAINT, 0, 0);
}

LRESULT CZav3DLoaderDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_SETCURSOR:
            ::SetCursor(cursor_);
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(icon_);
        case WM_TIMER:
            if (wParam == kProgressTimer) {
                OnProgressTick();
                return 0;
            }
            break;
        default:
            break;
    }
    return CTranslucentDialog::WindowProc(message, wParam, lParam);
}

void CZav3DLoaderDlg::SetStatusText(const std::wstring& text) {
    RunOnWindowThread([&] { statusLabel_.SetText(text); });
}

void CZav3DLoaderDlg::SetDetailLabelText(const std::wstring& text) {
    RunOnWindowThread([&] { detailLabel_.SetText(text); });
}

void CZav3DLoaderDlg::SetProgressValue(int value) {
    RunOnWindowThread([&] { progressBar_.SetValue(value); });
}

void CZav3DLoaderDlg::FillProgressBar() {
    RunOnWindowThread([&] {
        if (progressBar_.Maximum() >= progressBar_.Minimum()) progressBar_.SetValue(progressBar_.Maximum());
    });
}

void CZav3DLoaderDlg::SetStartButtonLook(bool enabled) {
    RunOnWindowThread([&] { startButton_.OnEnable(enabled ? TRUE : FALSE); });
}

void CZav3DLoaderDlg::StartProgressTimer() {
    RunOnWindowThread([&] { SetTimer(kProgressTimer, 1000); });
}

void CZav3DLoaderDlg::StopProgressTimer() {
    RunOnWindowThread([&] { KillTimer(kProgressTimer); });
}

std::wstring CZav3DLoaderDlg::StatusText() const { return statusLabel_.GetWindowText(); }
std::wstring CZav3DLoaderDlg::DetailText() const { return detailLabel_.GetWindowText(); }

int CZav3DLoaderDlg::ShowMessage(const std::wstring& text, const std::wstring& caption) {
    return ::MessageBoxW(GetSafeHwnd(), text.c_str(), caption.c_str(), MB_OK);
}
