#pragma once

// Ends the program. The real host quits the application (at once, also from
// deep inside a running action); a test host only records the request.
class ProgramHost {
  public:
    virtual ~ProgramHost() = default;
    virtual void endProgram() = 0;
};

class RecordingProgramHost final : public ProgramHost {
  public:
    void endProgram() override { ++endRequests; }
    int endRequests = 0;
};
