// The "Update Korvalin?" box: what its three buttons do.
#pragma once

#include <string>
#include <utility>

namespace korvalin {

class UiPort;

inline constexpr const char* kUpdateOfferCaption = "Update Korvalin?";
inline constexpr const char* kUpdateNowButton = "Update now";
inline constexpr const char* kDontUpdateButton = "Don't Update";
inline constexpr const char* kTellMeMoreButton = "Tell me more..";
inline constexpr const char* kDontUpdateQuestion = "Are you sure you don't want to update?";

class UpdateOfferBox {
public:
    UpdateOfferBox(UiPort& ui, std::string featuresText) : ui_(ui), featuresText_(std::move(featuresText)) {}

    const std::string& FeaturesText() const { return featuresText_; }
    bool Closed() const { return closed_; }
    bool Accepted() const { return accepted_; }

    void OnUpdateNow();
    // Asks whether the person is sure; Yes closes the box.
    void OnDontUpdate();
    // Shows the features text.
    void OnTellMeMore();
    void OnClose() { closed_ = true; }

private:
    UiPort& ui_;
    std::string featuresText_;
    bool closed_ = false;
    bool accepted_ = false;
};

}  // namespace korvalin
