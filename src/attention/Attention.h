// The last-minute warning: names the action in red, counts the seconds down, stays on top
// and offers "Stop", which ends the program before the action fires.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace duskline {

const FormLayout& AttentionLayout();

class Attention {
 public:
  // cmbType is Main's list; the window reads the selected action from it. "Postpone" calls
  // postpone, which decides; "Stop" calls stop where one is given, else ends the program.
  Attention(Platform& platform, const DropDownList& cmbType, Handler postpone = {},
            Handler stop = {});
  ~Attention();
  Attention(const Attention&) = delete;
  Attention& operator=(const Attention&) = delete;

  // Shows the countdown modeless. The first show loads the window; a later show (a new
  // warning after the schedule was edited) starts the count afresh with the action chosen now.
  void Show();

  // Hides the window and stops its count until the next Show.
  void PutAway();

  void Form_Load();
  void Timer1_Timer();
  void cmdStop_Click();
  void cmdPostpone_Click();
  // "Postpone" is shown where the schedule may change, and enabled while the occurrence may
  // still be put off.
  void OfferPostpone(bool shown, bool enabled);
  // Without "Stop" where the administrator's policy says so.
  void OfferStop(bool shown);

  Form& form() const { return *form_; }
  int16_t gintTicks() const { return gintTicks_; }

 private:
  void StartCount();
  void ApplyOffers();
  // Tells screen readers the action and the time left.
  void Announce(const std::string& timeLeft, bool appearing);

  Platform& platform_;
  const DropDownList& cmbType_;
  Handler postpone_;
  Handler stop_;
  bool postponeShown_ = true;
  bool postponeEnabled_ = true;
  bool stopShown_ = true;
  std::unique_ptr<Form> form_;
  int16_t gintTicks_ = 0;
};

}  // namespace duskline
