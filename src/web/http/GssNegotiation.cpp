#include "web/http/GssNegotiation.h"

#include <QStringList>

#include <gssapi/gssapi.h>

namespace gss {

namespace {

// The library's words for a major and minor status.
QString statusText(OM_uint32 major, OM_uint32 minor)
{
    QStringList texts;
    for (const auto& [code, type] : {std::pair {major, GSS_C_GSS_CODE}, std::pair {minor, GSS_C_MECH_CODE}}) {
        OM_uint32 context = 0;
        do {
            OM_uint32 ignored = 0;
            gss_buffer_desc text = GSS_C_EMPTY_BUFFER;
            gss_display_status(&ignored, code, type, GSS_C_NO_OID, &context, &text);
            if (text.length > 0)
                texts << QString::fromUtf8(static_cast<const char*>(text.value), qsizetype(text.length));
            gss_release_buffer(&ignored, &text);
        } while (context != 0);
    }
    return texts.join(QStringLiteral(": "));
}

} // namespace

std::optional<QByteArray> initialToken(const QString& host, QString* failure)
{
    // SPNEGO, 1.3.6.1.5.5.2.
    static gss_OID_desc spnego = {6, const_cast<char*>("\x2b\x06\x01\x05\x05\x02")};
    OM_uint32 minor = 0;
    const QByteArray service = "HTTP@" + host.toUtf8();
    gss_buffer_desc nameText = {size_t(service.size()), const_cast<char*>(service.constData())};
    gss_name_t name = GSS_C_NO_NAME;
    OM_uint32 major = gss_import_name(&minor, &nameText, GSS_C_NT_HOSTBASED_SERVICE, &name);
    if (GSS_ERROR(major)) {
        if (failure)
            *failure = statusText(major, minor);
        return std::nullopt;
    }
    gss_ctx_id_t context = GSS_C_NO_CONTEXT;
    gss_buffer_desc output = GSS_C_EMPTY_BUFFER;
    major = gss_init_sec_context(&minor, GSS_C_NO_CREDENTIAL, &context, name, &spnego, 0, GSS_C_INDEFINITE,
                                 GSS_C_NO_CHANNEL_BINDINGS, GSS_C_NO_BUFFER, nullptr, &output, nullptr, nullptr);
    std::optional<QByteArray> token;
    if (!GSS_ERROR(major) && output.length > 0)
        token = QByteArray(static_cast<const char*>(output.value), qsizetype(output.length));
    else if (failure)
        *failure = statusText(major, minor);
    OM_uint32 ignored = 0;
    gss_release_buffer(&ignored, &output);
    gss_delete_sec_context(&ignored, &context, GSS_C_NO_BUFFER);
    gss_release_name(&ignored, &name);
    return token;
}

} // namespace gss
