#pragma once

#include <string>

#include "console/form.h"
#include "fake_mail.h"
#include "fake_platform.h"
#include "fake_registry.h"
#include "fake_versions.h"
#include "fake_window.h"

namespace pelterwyn::fakes {

// The whole tool around Form1, on fakes. Window events and mail calls share
// one journal, so that their order can be checked.
struct ToolOnFakes {
  MailWorld world;
  FakeWindow window{&world.journal};
  FakeFiles files;
  FakeLocale locale;
  FakeLibrary libraries;
  FakeRegistry registry;
  FakeVersions versions;
  FakeMailFactory mail{world};
  Services services{registry, versions, libraries, locale, files, mail};
  Form1 form{window, services};

  void Click(ControlId id) { form.Click(id); }
  void Type(ControlId id, const std::string& text) { window.Type(id, text); }
  std::string& Result() { return window.Result(); }
  std::string Log() { return files.files[files.exeDir + "\\Pelterwyn.log"]; }
};

}  // namespace pelterwyn::fakes
