#include "ui/bitmap_dialog.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "res/resource.h"
#include "ui/core/skin_region.h"
#include "winlib/dc.h"

BEGIN_MESSAGE_MAP(CBitmapDialog, CDialog)
  ON_WM_ERASEBKGND()
  ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CBitmapDialog::CBitmapDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : CDialog(nIDTemplate, pParentWnd) {}

CBitmapDialog::~CBitmapDialog() {
  if (m_bOwnsBitmap) m_pSkinBitmap.reset();
  m_bOwnsBitmap = FALSE;
  m_bPaintBackground = FALSE;
}

int CBitmapDialog::LoadSkin() {
  if (m_bOwnsBitmap) {
    m_pSkinBitmap.reset();
    m_bOwnsBitmap = FALSE;
  }
  m_bPaintBackground = FALSE;
  m_bShapeFromBitmap = TRUE;
  m_crTransparent = RGB(128, 0, 0);

  auto bitmap = std::make_unique<CBitmap>();
  if (!bitmap->LoadBitmap(IDB_SKIN)) return 0;
  m_pSkinBitmap = std::move(bitmap);
  m_bOwnsBitmap = TRUE;
  m_bPaintBackground = TRUE;
  ApplySkinShape();
  return 1;
}

void CBitmapDialog::ApplySkinShape() {
  BITMAP bm{};
  if (!m_pSkinBitmap || !m_pSkinBitmap->GetBitmap(&bm)) return;
  if (m_bShapeFromBitmap) {
    HRGN region = CreateRegionFromBitmap(*m_pSkinBitmap, m_crTransparent);
    // On success the window owns the region.
    if (region && !SetWindowRgn(region, true)) ::DeleteObject(region);
  }
  SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight, SWP_NOMOVE | SWP_NOOWNERZORDER);
}

BOOL CBitmapDialog::OnEraseBkgnd(CDC* pDC) {
  if (!m_bPaintBackground || !m_pSkinBitmap) return CDialog::OnEraseBkgnd(pDC);
  CRect rc;
  GetClientRect(&rc);
  CDC memory;
  memory.CreateCompatibleDC(pDC);
  HGDIOBJ previous = memory.SelectObject(*m_pSkinBitmap);
  pDC->BitBlt(0, 0, rc.Width(), rc.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(previous);
  return TRUE;
}

// A press on the background acts as a press on a caption: the system's move loop takes over.
// WM_NCLBUTTONDOWN carries screen coordinates; the move loop measures the drag from them, so the
// client point is converted (a client point would make the window jump by its own position).
void CBitmapDialog::OnLButtonDown(UINT nFlags, CPoint point) {
  CDialog::OnLButtonDown(nFlags, point);
  if (!m_bDragByBackground) return;
  ClientToScreen(&point);
  PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}

HRGN CreateRegionFromBitmap(HBITMAP hBitmap, COLORREF crKey) {
  BITMAP bm{};
  if (!hBitmap || !::GetObjectA(hBitmap, sizeof bm, &bm)) return nullptr;

  // Header plus room for three colour masks or a 256-entry colour table.
  struct {
    BITMAPINFOHEADER header;
    DWORD table[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  HDC ic = ::CreateICA("DISPLAY", nullptr, nullptr, nullptr);
  if (!ic) return nullptr;
  // Without a pixel buffer GetDIBits only describes the bitmap: size and depth.
  if (!::GetDIBits(ic, hBitmap, 0, static_cast<UINT>(bm.bmHeight), nullptr,
                   reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS)) {
    ::DeleteDC(ic);
    return nullptr;
  }
  const int depth = info.header.biBitCount;
  const int width = info.header.biWidth;
  const int height = info.header.biHeight < 0 ? -info.header.biHeight : info.header.biHeight;
  // Ask for the pixels in a layout every system returns the same way: bottom-up rows, plain
  // 0x00RRGGBB words at 32 bits, a colour table at 8 bits, and at 16 bits BI_RGB, which by
  // definition is 5-5-5. (A 5-6-5 BI_BITFIELDS request is honoured by some systems and not by
  // others, so a 5-6-5 key could silently never match.)
  info.header.biHeight = height;
  info.header.biCompression = BI_RGB;
  const int bytesPerRow = (width * depth + 7) / 8;
  const std::size_t stride = (static_cast<std::size_t>(bytesPerRow) + 3) & ~std::size_t{3};
  std::vector<uint8_t> pixels(stride * static_cast<std::size_t>(height) + 4);
  const int lines = ::GetDIBits(ic, hBitmap, 0, static_cast<UINT>(height), pixels.data(),
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ::DeleteDC(ic);
  if (lines != height) return nullptr;

  ui::PixelRows rows;
  rows.width = width;
  rows.height = height;
  rows.bitsPerPixel = depth;
  rows.bytesPerRow = bytesPerRow;
  rows.bits = pixels.data();
  rows.size = pixels.size();
  rows.colorTable = depth == 8 ? reinterpret_cast<const uint32_t*>(info.table) : nullptr;
  rows.fiveFiveFive = depth == 16;
  const std::vector<ui::RegionRect> runs = ui::OpaqueRuns(rows, crKey);

  std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  RGNDATAHEADER header{};
  header.dwSize = sizeof(RGNDATAHEADER);
  header.iType = RDH_RECTANGLES;
  header.nCount = static_cast<DWORD>(runs.size());
  std::memcpy(data.data(), &header, sizeof header);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    RECT rc = {runs[i].left, runs[i].top, runs[i].right, runs[i].bottom};
    std::memcpy(data.data() + sizeof header + i * sizeof(RECT), &rc, sizeof rc);
  }
  return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                           reinterpret_cast<const RGNDATA*>(data.data()));
}
