#pragma once
// A message with one OK button and no owner window: how a program tells the
// user why it cannot go on before it has a window of its own (start-up's
// failures, no drive found) and how a restart that failed is reported.

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual void ShowMessage(const char* text, const char* caption) = 0;
};
