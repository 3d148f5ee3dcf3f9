#include "DialogoGuion.h"

#include "services/Sesion.h"

#include <cstdio>
#include <cstdlib>

class DialogoDoble : public DialogoConexion {
public:
    explicit DialogoDoble(DialogoGuion& g) : g_(g) {}
    void Cargar(const QString& b, const QString& s, const QString& u, const QString& c, int p) override {
        g_.cargas_.push_back({b, s, u, c, p});
        r_ = {false, b, s, u, c, p};
    }
    bool Mostrar() override {
        ++g_.mostrado_;
        if (g_.respuestas_.empty()) {
            std::fprintf(stderr, "FAIL! unexpected connection window\n");
            std::abort();
        }
        const auto r = g_.respuestas_.front();
        g_.respuestas_.pop_front();
        r_ = r;
        if (r.aceptar) {
            sesion().gUsuarioSistema = r.usuario;
            sesion().gClaveUsuario = r.clave;
        }
        return r.aceptar;
    }
    QString BaseDatos() const override { return r_.baseDatos; }
    QString Servidor() const override { return r_.servidor; }
    QString Usuario() const override { return r_.usuario; }
    QString Clave() const override { return r_.clave; }
    int Plataforma() const override { return r_.plataforma; }

private:
    DialogoGuion& g_;
    DialogoGuion::Respuesta r_;
};

DialogoGuion::DialogoGuion() {
    anterior_ = EstablecerDialogoConexion([this] { return std::make_unique<DialogoDoble>(*this); });
}

DialogoGuion::~DialogoGuion() {
    EstablecerDialogoConexion(std::move(anterior_));
}
