// The progress overlay: a disabled, flat button face with a line of text,
// drawn in a window of its own so that it lies above both lists.
#pragma once

#include <wx/window.h>

// Serves the toolkit's pending events of the kinds given, from the running
// event loop or, before the dialog runs, from one of its own.
void YieldForEvents(long categories);

class COverlay : public wxWindow {
 public:
  COverlay(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

  void SetLabel(const wxString& label) override;
  wxString GetLabel() const override { return label_; }
  // Draws the overlay now, before returning; the workflow pauses right
  // afterwards without serving the window.
  void PaintNow();

  // The overlay takes the keyboard only while a long Run shows its progress
  // (for Esc); otherwise focus passes it by.
  void TakeKeys(bool take) { takesKeys_ = take; }
  bool AcceptsFocus() const override { return takesKeys_; }
  bool AcceptsFocusFromKeyboard() const override { return false; }

 private:
  void OnPaint(wxPaintEvent& event);

  wxString label_;
  unsigned long paints_ = 0;  // tells PaintNow when a drawing has happened
  bool takesKeys_ = false;
};
