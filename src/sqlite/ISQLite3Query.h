#pragma once

// What a connection needs of the query components that share its owner:
// disconnecting closes every one of them, whichever connection it uses.
class ISQLite3Query {
public:
    virtual ~ISQLite3Query() = default;
    virtual void CloseOnDisconnect() = 0;
};
