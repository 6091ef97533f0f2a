#include "dialog/overlay.h"

#include <wx/dcbuffer.h>
#include <wx/evtloop.h>
#include <wx/settings.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

void YieldForEvents(long categories) {
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
    loop->YieldFor(categories);
  } else {
    wxEventLoop temporary;
    wxEventLoopActivator activate(&temporary);
    temporary.YieldFor(categories);
  }
}

COverlay::COverlay(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxWindow(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &COverlay::OnPaint, this);
}

void COverlay::SetLabel(const wxString& label) {
  label_ = label;
  Refresh();
}

void COverlay::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxRect area(GetClientSize());
  dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
  dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
  dc.DrawRectangle(area);
  dc.SetFont(GetParent()->GetFont());
  dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
  dc.DrawLabel(label_, area, wxALIGN_CENTER);
  ++paints_;
}

void COverlay::PaintNow() {
  if (!IsShownOnScreen()) return;
  const unsigned long before = paints_;
  Refresh();
  Update();
  // Let the toolkit lay out and draw, without handling any user input, until
  // the overlay has been drawn (or a short while has passed).
  wxStopWatch watch;
  while (paints_ == before && watch.Time() < 250) {
    YieldForEvents(wxEVT_CATEGORY_UI);
    if (paints_ == before) wxMilliSleep(2);
  }
}
