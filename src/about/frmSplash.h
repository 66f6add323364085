// The About window: title, platforms, version, copyright, licence and build lines. It
// closes itself at the first click anywhere on it or the first key press.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace duskline {

const FormLayout& SplashLayout();

class frmSplash {
 public:
  explicit frmSplash(Platform& platform);
  ~frmSplash();
  frmSplash(const frmSplash&) = delete;
  frmSplash& operator=(const frmSplash&) = delete;

  // Shows the window modeless, loading it first when it is not loaded.
  void Show();
  bool Loaded() const { return form_ != nullptr; }
  // The loaded window, or nullptr.
  Form* form() const { return form_.get(); }

  void Form_Load();
  // Every click on the window or its parts and every key press: the window unloads itself.
  void Form_Click();
  void Form_KeyPress(int keyAscii);
  void Frame1_Click();
  void Frame2_Click();
  void Frame3_Click();
  void imgLogo_Click();
  void lblCompany_Click(int index);
  void lblCopyright_Click();
  void lblPlatform_Click();
  void lblProductName_Click();
  void lblVersion_Click();

 private:
  void Unload();

  Platform& platform_;
  std::unique_ptr<Form> form_;
};

}  // namespace duskline
