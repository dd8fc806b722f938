// The Method menu's searches and the panel commands around them:
// reshuffling, the statistics file and the magnitude/intensity switch.
#pragma once

#include <chrono>

#include "app/app_context.h"
#include "search/document_search.h"

namespace korvel {

// A search of the method table from its menu item: its dialog (the
// secondary period's own, or the shared one of period range and phase
// shift, the method's other parameters taking the request's defaults), then
// the run. Refused while a search runs.
void StartSearchBy(AppContext& a, SearchKind kind);
void StartLaflerKinmanSearch(AppContext& a);
void StartDeemingSearch(AppContext& a);
void StartSecondaryPeriodSearch(AppContext& a);
void SaveStatistics(AppContext& a);
void ShowSignificanceLevels(AppContext& a);
void ToggleMagnitudesIntensities(AppContext& a);

// Runs the document's search (a confirmed new one or a resumed one) with the
// window, then keeps the distinct peaks of what it searched for the peaks
// table and states the outcome on the status line: the adopted period with
// its error, or "Stopped after k of n trials" and the adopted period of the
// trials made.
void RunWindowSearch(AppContext& a, SearchKind kind);

// A running search's view of the window. Passing to the event loop after
// every trial would let event handling dominate small trials, so it passes
// at most every 15 ms; Stop then takes effect after the current trial. The
// trials are computed on AppContext::threads threads.
class PlatformSearchHooks : public DocumentSearchHooks {
 public:
  explicit PlatformSearchHooks(AppContext& a) : a_(a) {}
  bool EventsDue() override;
  void BetweenTrials() override { a_.p.ProcessEvents(); }
  // The progress bar lives exactly as long as the timer of the run.
  void SetTimerEnabled(bool enabled) override {
    a_.p.SetTimerEnabled(enabled);
    a_.p.SetProgress(enabled ? 0.0 : -1.0);
  }
  void RequestRepaint() override { a_.p.RequestRepaint(); }
  void SetStatus(const std::string& text) override { a_.p.SetStatus(text); }
  void ShowMessage(const std::string& text) override { a_.p.ShowMessage(text); }
  std::string SpectrumFileName() override { return a_.p.Text(Control::SpFN); }
  int Threads() override { return a_.threads; }
  // While the workers compute, the window is served as between trials.
  void WhileWaiting() override { BetweenTrials(); }

 private:
  AppContext& a_;
  std::chrono::steady_clock::time_point lastPass_{};
};

}  // namespace korvel
