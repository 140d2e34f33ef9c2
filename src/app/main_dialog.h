#pragma once
// The loader's one window. Pipeline threads change it only through the
// methods below, each of which runs whole on the window's thread.
#include <string>

#include "ui/translucent_button.h"
#include "ui/translucent_dialog.h"
#include "ui/translucent_label.h"
#include "ui/translucent_progress_bar.h"

class CZav3DLoaderDlg : public CTranslucentDialog {
public:
    static constexpr UINT_PTR kProgressTimer = 1;

    CZav3DLoaderDlg();
    ~CZav3DLoaderDlg() override;

    // The one main dialog of the process, or null when there is none.
    static CZav3DLoaderDlg* Main() noexcept;

    // Thread-safe window updates (marshalled to the window's thread).
    void SetStatusText(const std::wstring& text);
    void SetDetailLabelText(const std::wstring& text);
    void SetProgressValue(int value);
    void FillProgressBar();  // to the maximum, when the range allows it
    void SetStartButtonLook(bool enabled);
    void StartProgressTimer();
    void StopProgressTimer();
    std::wstring StatusText() const;
    std::wstring DetailText() const;

    // A message box owned by this window, shown on the calling thread.
    int ShowMessage(const std::wstring& text, const std::wstring& caption);

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    CStandardDialog* MakeCompanionDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetUpControls();
    void OnStartClicked();
    void OnPaint();

    CTranslucentButton closeButton_;
    CTranslucentButton startButton_;
    CTranslucentLabel statusLabel_;
    CTranslucentLabel detailLabel_;
    CTranslucentProgressBar progressBar_;
    HICON icon_;
    HCURSOR cursor_;
};
