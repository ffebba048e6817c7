// The Win32 side of the template re-layout: the walk reads the bytes, this moves the controls.
#include "ui/template_layout.h"

#include <afxstr.h>

#include "unique_handle.h"

namespace {

// The id the platform gives static labels that need none; a lookup finds at most one of them.
const std::uint16_t kUnnamedStaticId = 0xFFFF;

// Collects one move per record in a deferred batch and refreshes each moved control.
class LayoutFromTemplate : public DialogTemplateVisitor {
public:
    LayoutFromTemplate(HMODULE module, HWND dialog)
        : m_module(module),
          m_dialog(dialog)
    {
    }

    bool OnHeader(const DialogTemplateHeader& header) override
    {
        m_batch = BeginDeferWindowPos(header.itemCount);
        m_opened = m_batch != nullptr;
        return m_opened;
    }

    void OnItem(const DialogItemRecord& item) override
    {
        const DialogItemFixed& fixed = item.fixed;
        HWND control = GetDlgItem(m_dialog, fixed.id);
        RECT rect = {fixed.x, fixed.y, fixed.x + fixed.cx, fixed.y + fixed.cy};
        if (!control || !MapDialogRect(m_dialog, &rect)) {
            m_complete = false;
            return;
        }
        // A refused move frees the batch: the moves after it have nowhere to go. The controls
        // paint themselves afresh at their new places: bits copied along with a batch of
        // overlapping moves would leave pieces of the old picture behind.
        if (m_batch)
            m_batch = DeferWindowPos(m_batch, control, nullptr, rect.left, rect.top,
                                     rect.right - rect.left, rect.bottom - rect.top,
                                     SWP_NOZORDER | SWP_NOCOPYBITS);
        if (!m_batch)
            m_complete = false;
        RefreshControlFromTemplate(m_module, m_dialog, fixed, item.windowClass, item.title);
        if (fixed.id == kUnnamedStaticId)
            ++m_unnamedStatics;
    }

    bool Opened() const { return m_opened; }

    // All moves take effect together, after every refresh; true when the whole template was applied.
    bool Commit()
    {
        if (m_batch && !EndDeferWindowPos(m_batch))
            m_complete = false;
        m_batch = nullptr;
        return m_complete && m_unnamedStatics < 2;
    }

private:
    HMODULE m_module;
    HWND m_dialog;
    HDWP m_batch = nullptr;
    bool m_opened = false;
    bool m_complete = true;
    int m_unnamedStatics = 0;
};

// The framework's string, not std::wstring: its library instantiation would add tens of KB.
CString FieldText(const TemplateField& field)
{
    CString text;
    const int length = static_cast<int>(field.length);
    LPWSTR units = text.GetBuffer(length);
    for (int i = 0; i < length; ++i)
        units[i] = static_cast<wchar_t>(TemplateFieldUnit(field, static_cast<std::size_t>(i)));
    text.ReleaseBuffer(length);
    return text;
}

// Marks on a control the bitmap the re-layout loaded and the control took: the re-layout deletes
// it when it replaces it. Whatever else a control held belongs to whoever put it there. The mark
// goes with the control's window.
const wchar_t kLoadedBitmapProp[] = L"Ostrel.LoadedBitmap";

// Hands the control the template's icon or bitmap. An image that cannot be loaded leaves the
// control as it was. Icons come shared from LoadIconW and are never destroyed; a loaded bitmap
// the control does not take (a button has no STM_ images) is deleted, and so is the control's
// old bitmap when the re-layout had loaded it.
void ReplaceImage(HMODULE module, HWND dialog, int id, UINT imageType, std::uint16_t ordinal)
{
    if (imageType == IMAGE_ICON) {
        if (HICON icon = LoadIconW(module, MAKEINTRESOURCEW(ordinal)))
            SendDlgItemMessageW(dialog, id, STM_SETIMAGE, IMAGE_ICON,
                                reinterpret_cast<LPARAM>(icon));
        return;
    }
    UniqueGdiObject<HBITMAP> fresh(LoadBitmapW(module, MAKEINTRESOURCEW(ordinal)));
    if (!fresh.IsValid())
        return;
    HWND control = GetDlgItem(dialog, id);
    const HANDLE old = reinterpret_cast<HANDLE>(
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(fresh.Get())));
    if (reinterpret_cast<HANDLE>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0)) !=
        fresh.Get())
        return;  // not taken: deleted with `fresh`
    // What the control gave back is ours only when an earlier re-layout loaded it.
    const UniqueGdiObject<HBITMAP> replaced(
        old && GetPropW(control, kLoadedBitmapProp) == old ? static_cast<HBITMAP>(old) : nullptr);
    // The control holds the fresh bitmap now; the mark says whose it is.
    SetPropW(control, kLoadedBitmapProp, fresh.Release());
}

// Selects the selected entry again, when there is one.
void Reselect(HWND dialog, int id, UINT getMessage, UINT setMessage)
{
    const LRESULT selected = SendDlgItemMessageW(dialog, id, getMessage, 0, 0);
    if (selected != LB_ERR)
        SendDlgItemMessageW(dialog, id, setMessage, static_cast<WPARAM>(selected), 0);
}

}  // namespace

bool ApplyTemplateLayout(HMODULE module, HWND dialog, UINT templateId)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return false;

    LayoutFromTemplate layout(module, dialog);
    const bool walked = WalkDialogTemplate(static_cast<const std::uint8_t*>(bytes),
                                           SizeofResource(module, found), layout);
    if (!layout.Opened())
        return false;
    const bool applied = layout.Commit();
    return walked && applied;
}

void RefreshControlFromTemplate(HMODULE module, HWND dialog, const DialogItemFixed& item,
                                const TemplateField& windowClass, const TemplateField& text)
{
    if (!windowClass.isOrdinal)
        return;
    const int id = item.id;
    switch (windowClass.ordinal) {
    case kClassButton:
    case kClassStatic:
        if (!text.isOrdinal)
            SetDlgItemTextW(dialog, id, FieldText(text));
        else if ((item.style & SS_TYPEMASK) == SS_ICON)
            ReplaceImage(module, dialog, id, IMAGE_ICON, text.ordinal);
        else if ((item.style & SS_TYPEMASK) == SS_BITMAP)
            ReplaceImage(module, dialog, id, IMAGE_BITMAP, text.ordinal);
        break;
    case kClassListBox:
        Reselect(dialog, id, LB_GETCURSEL, LB_SETCURSEL);
        break;
    case kClassComboBox:
        Reselect(dialog, id, CB_GETCURSEL, CB_SETCURSEL);
        break;
    default:
        break;
    }
}
