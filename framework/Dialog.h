#pragma once
// Dialog base: the object's pointer is stored at WM_INITDIALOG and each
// message goes to one virtual HandleMessage.  Fields are exchanged with the
// controls by DoDataExchange: once on opening and once on OK.
#include <windows.h>

#include <string>

// One exchange between a dialog's fields and its controls.  Every binding
// either loads the control from the field (opening) or stores the control
// into the field (OK); the first control that refuses its text is kept so
// the dialog can focus it.
class DataExchange {
public:
    DataExchange(HWND dialog, bool save) : m_dialog(dialog), m_save(save) {}

    bool saving() const { return m_save; }
    bool ok() const { return m_failedControl == 0; }
    int failedControl() const { return m_failedControl; }
    HWND dialog() const { return m_dialog; }

    // Text in code page 932; on save, more than maxBytes (0: no limit) fails.
    void Text(int id, std::string& value, size_t maxBytes = 0);
    void Check(int id, bool& value);
    // A whole number within [min, max]; on save, anything else fails.
    void Number(int id, int& value, int min, int max);
    // The selected row of a combo box (-1 for none).
    void ComboIndex(int id, int& index);
    // Which of the radio buttons firstId, firstId+1, ... is checked (-1 for none).
    void RadioIndex(int firstId, int count, int& index);

    void Fail(int id) { if (m_failedControl == 0) m_failedControl = id; }

private:
    HWND m_dialog;
    bool m_save;
    int m_failedControl = 0;
};

class Dialog {
public:
    explicit Dialog(UINT templateId) : m_templateId(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    HWND hwnd() const { return m_hwnd; }
    INT_PTR DoModal(HWND parent);
    bool CreateModeless(HWND parent);
    void EndDialog(INT_PTR result);

    static Dialog* FromHandle(HWND hwnd);

protected:
    // True when handled; *result is the message's result.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Return FALSE when the focus was set here.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange&) {}
    virtual void OnOK();
    virtual void OnCancel();
    // Runs the exchange; on a refused control focuses it and returns false.
    bool UpdateData(bool save);

    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_hwnd = nullptr;
    bool m_modal = false;
};
