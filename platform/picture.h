// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>

namespace skyvane {

// An immutable, shared picture handle. Copying a holder's picture copies the handle, so two
// elements showing the same picture compare equal; a picture made anew from the same resource
// does not, just as a loaded picture is its own object.
class Picture {
  public:
    Picture() = default;
    explicit Picture(std::string resource)
        : resource_(resource.empty() ? nullptr
                                     : std::make_shared<const std::string>(std::move(resource))) {}

    bool isNull() const { return !resource_; }
    // The resource path the adapter draws from; empty for no picture.
    const std::string& resource() const {
        static const std::string none;
        return resource_ ? *resource_ : none;
    }
    friend bool operator==(const Picture& a, const Picture& b) {
        return a.resource_ == b.resource_;
    }

  private:
    std::shared_ptr<const std::string> resource_;
};

}  // namespace skyvane
