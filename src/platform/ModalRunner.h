#pragma once

class QDialog;

namespace velmaro {

// Shows a window modally and returns its result (QDialog::Accepted or Rejected). Tests replace it so
// that no test ever waits in a real modal loop.
class IModalRunner
{
public:
    virtual ~IModalRunner() = default;
    virtual int exec(QDialog& dialog) = 0;
};

} // namespace velmaro
