// The help dialog: the text goes into the empty box when the dialog opens.
#include "ui/help_dialog.h"

namespace {

const wchar_t kHelpText[] =
    L"Set Blacklist:\r\n"
    L"You can add or delete the phone number to your blacklist, and you should click save to let "
    L"the software know what you change the blacklist.\r\n"
    L"Run at Backgroud:\r\n"
    L"This software will run at backgroud, and it will service for you.\r\n"
    L"Help:\r\n"
    L"Show the help info for you.\r\n"
    L"Deactive:\r\n"
    L"Deactive it, it will could not service for you.";

}  // namespace

IMPLEMENT_DYNAMIC(CHelpDialog, CDialog)

BEGIN_MESSAGE_MAP(CHelpDialog, CDialog)
END_MESSAGE_MAP()

CHelpDialog::CHelpDialog(CWnd* pParent)
    : CDialog(CHelpDialog::IDD, pParent)
{
}

CHelpDialog::~CHelpDialog()
{
}

// The same in both directions: the text goes in front of whatever the box holds. Opening finds
// the box empty; the second run, on OK, fills a box that is hidden and destroyed before it is
// painted again.
void CHelpDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HELP_TEXT, m_editHelp);
    m_editHelp.SetSel(0, 0);
    m_editHelp.ReplaceSel(kHelpText, FALSE);
}
