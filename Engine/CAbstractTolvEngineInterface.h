#pragma once
// Contract of Quillomar.exe and qmsag.dll: shared by both binaries and frozen
// (a change breaks a program or engine built apart from the other). It passes
// standard-library types, so both must come from one build with one runtime.

class CAbstractProcess;

// The engine's factory object, handed out by Create. The order of the virtual
// operations is shared by the program and qmsag.dll.
class CAbstractTolvEngineInterface
{
public:
    virtual ~CAbstractTolvEngineInterface() = default;

    virtual CAbstractProcess* CreateEngineProcess() = 0;
    virtual void DestroyEngineProcess(CAbstractProcess* process) = 0;
    virtual CAbstractProcess* CreateEngineProcess2() = 0;
};
