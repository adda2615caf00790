// What the retrieval tells the operator and asks: message boxes with an OK
// button, the Event/All choice and the telephone number. A front end without
// anybody to ask answers from its options.
#pragma once

#include <string>

namespace trelm::retrieval {

class Questions {
public:
    virtual ~Questions() = default;

    // A message box with an OK button.
    virtual void messageBox(const std::string &text) = 0;
    // "Would you like to only download the Event Data?": true for Yes.
    virtual bool askEventDataOnly() = 0;
    // "Enter Phone Number:" offering `stored`; empty text when cancelled.
    virtual std::string askPhoneNumber(const std::string &stored) = 0;
};

} // namespace trelm::retrieval
