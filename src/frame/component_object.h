// What the three classes share: the data-access context an instance holds, the binding of each
// call to its data source, and the framing of every late-bound call as one unit of work.
#pragma once

#include "frame/instance.h"
#include "platform/ado/connection.h"
#include "platform/com/dispatch.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/data_context.h"

namespace frame {

class ComponentObject : public com::Dispatch, protected Instance {
 protected:
  // Takes the thread's current context (creating the globals object on first use). `intent` says
  // whether the class's calls write, so that their transactions take the write lock up front.
  ComponentObject(const com::DispatchTable& table, tavglobal::TransactionIntent intent);
  ~ComponentObject() override;

  // Every call through Invoke runs inside a CallScope: one transaction per outermost call on
  // each data source it binds, committed or rolled back by the last vote, rolled back when the
  // call raises.
  oleaut::Variant CallMember(com::Handler handler, const com::InvokeArgs& args) override;

  // What a call of `member` intends; the class's intent unless a class says otherwise.
  virtual tavglobal::TransactionIntent IntentOf(const com::MemberInfo& member) const;

  // The first steps of every class's BindToDsn: take the current context again (keeping it) and
  // bind it to `sDsn`.
  void BindContext(const oleaut::Bstr& sDsn);

  // BindToDsn of a class that keeps nothing else of the context: binds the held context to `sDsn`
  // and returns its connection.
  com::Ptr<ado::Connection> BindToDsn(const oleaut::Bstr& sDsn) override;

  tavglobal::DataContext& Context() override { return *context_; }

  com::Ptr<tavglobal::DataContext> context_;

 private:
  tavglobal::TransactionIntent intent_;
};

}  // namespace frame
