// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

#include "platform/catalog.h"
#include "platform/desktop.h"
#include "platform/form.h"

namespace skyvane {

// Shown once the mission is won; thanks the pilot by name. Any way of closing it ends the game.
class ClosingScreen : public Form {
  public:
    ClosingScreen(Desktop& desktop, const TextBox& pilotName,
                  const Catalog& texts = Catalog::source());

    Button& Command1;
    Label &Label1, &Label2, &Label3, &Label4;

    void Form_Load() override;
    void Form_Unload(std::int16_t& Cancel) override;
    void Command1_Click();

  private:
    Desktop& desktop_;
    const TextBox& pilotName_;
};

}  // namespace skyvane
