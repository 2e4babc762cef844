#include "error_texts.h"

#include <QByteArray>
#include <QString>
#include <QTextCodec>

namespace sim {

namespace {

struct ErrText {
    int id;
    const char* rsp;   // what goes into the response; "" leaves it to the terminal's table
    bool rspIsGbk;     // Chinese responses are sent in GBK
    const char* full;  // Chinese text for the library's own table
};

const ErrText kErrors[] = {
    {1001, "资金账号不存在", true, "资金账号不存在"},
    {1002, "invalid password", false, "密码错误"},
    {1003, "", false, "节点错误"},
    {1004, "该账户未开通此市场", true, "该账户未开通此市场"},
    {1005, "account already logged in", false, "账户已登录"},
    {1006, "该链接已登录", true, "该链接已登录"},
    {2001, "证券代码不存在", true, "证券代码不存在"},
    {2002, "price outside the daily limits", false, "委托价格超出涨跌停范围"},
    {2003, "", false, "委托价格不符合最小价位"},
    {2004, "委托数量不是整手", true, "委托数量不是整手"},
    {2005, "可用资金不足", true, "可用资金不足"},
    {2006, "insufficient available position", false, "可用持仓不足"},
    {2007, "", false, "该市场不支持此报单类型"},
    {2008, "非ETF不能申购赎回", true, "非ETF不能申购赎回"},
    {2009, "委托不存在或不可撤", true, "委托不存在或不可撤"},
    {2010, "invalid side or order type", false, "买卖方向或报单类型错误"},
    {2011, "要约收购代码错误", true, "要约收购代码错误"},
    {2012, "", false, "不允许权证行权"},
    {3001, "可取资金不足", true, "可取资金不足"},
    {3002, "invalid amount", false, "金额错误"},
    {3003, "调拨被拒绝", true, "调拨被拒绝"},
    {4001, "原密码错误", true, "原密码错误"},
    {4002, "new password invalid", false, "新密码不符合要求"},
    {err::kNoRecords, "没有查询到相关记录", true, "没有查询到相关记录"},
};

const ErrText* findError(int id) {
    for (const auto& e : kErrors)
        if (e.id == id) return &e;
    return nullptr;
}

}  // namespace

std::string toGbk(const std::string& utf8) {
    static QTextCodec* codec = QTextCodec::codecForName("GBK");
    if (!codec) return utf8;
    QByteArray b = codec->fromUnicode(QString::fromUtf8(utf8.data(), int(utf8.size())));
    return std::string(b.constData(), size_t(b.size()));
}

std::string rspErrorText(int errorId) {
    const ErrText* e = findError(errorId);
    if (!e) return {};
    return e->rspIsGbk ? toGbk(e->rsp) : std::string(e->rsp);
}

std::string fullErrorText(int errorId) {
    const ErrText* e = findError(errorId);
    return e ? toGbk(e->full) : std::string();
}

std::vector<int> knownErrorIds() {
    std::vector<int> ids;
    for (const auto& e : kErrors) ids.push_back(e.id);
    return ids;
}

}  // namespace sim
