// The root of the framework's classes.
#pragma once

class FObject {
public:
    virtual ~FObject() = default;
};
