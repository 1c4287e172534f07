#include "import/ImportWords.h"

namespace ImportWords {

namespace {

using ImportMapping::Kind;
using ImportMapping::Name;
using ImportMapping::Vehicle;

constexpr Kind V = Kind::Vehicles;
constexpr Kind M = Kind::Maintenance;
constexpr Kind P = Kind::Parts;

#define VEHICLE_WORDS                                                                                                  \
    "vehicle|car|vehicle name|Fahrzeug|Auto|PKW|véhicule|voiture|vehículo|coche|veicolo|automobile|voertuig|wagen"
#define NOTES_WORDS                                                                                                    \
    "notes|note|comments|comment|remarks|memo|Bemerkung|Bemerkungen|Notiz|Notizen|Anmerkung|Anmerkungen|Kommentar|"    \
    "remarque|remarques|commentaire|commentaires|notas|observaciones|comentarios|osservazioni|commenti|opmerking|"     \
    "opmerkingen|notities"

} // namespace

const QList<Word>& table()
{
    static const QList<Word> words = {
        // A vehicles sheet.
        {V, Name,
         "vehicle|name|vehicle name|nickname|car|Fahrzeug|Bezeichnung|véhicule|nom|vehículo|nombre|veicolo|"
         "nome|voertuig|naam"},
        {V, 1, "make|manufacturer|brand|Marke|Hersteller|marque|fabricant|marca|fabricante|produttore|merk|fabrikant"},
        {V, 2, "model|Modell|modèle|modelo|modello"},
        {V, 3, "year|model year|Baujahr|Jahr|année|año|anno|bouwjaar|jaar"},
        {V, 4, "color|colour|Farbe|couleur|colore|kleur"},
        {V, 5, "engine|motor|moteur|motore"},
        {V, 6, "doors|Türen|portes|puertas|porte|deuren"},
        {V, 7,
         "mileage|odometer|km|miles|purchase mileage|starting mileage|mileage at purchase|odometer at purchase|"
         "Kilometerstand|Kilometerstand bei Kauf|kilométrage|kilometraje|chilometraggio|kilometerstand"},
        {V, 10,
         "dealer|seller|purchased at|purchased from|bought from|Händler|Verkäufer|gekauft bei|concessionnaire|"
         "vendeur|concesionario|vendedor|concessionario|venditore|verkoper"},
        {V, 11,
         "purchase date|date of purchase|bought|Kaufdatum|date d'achat|fecha de compra|data di acquisto|"
         "aankoopdatum"},
        {V, 12, "warranty|Garantie|garantía|garanzia"},
        {V, 13, "insurance|insurer|Versicherung|assurance|seguro|assicurazione|verzekering"},
        {V, 14,
         "insured since|insurance date|versichert seit|assuré depuis|asegurado desde|assicurato dal|"
         "verzekerd sinds"},
        {V, 17, NOTES_WORDS "|description|Beschreibung"},
        {V, ImportMapping::transmissionTarget(),
         "transmission|gearbox|Getriebe|boîte de vitesses|boîte|transmisión|cambio|versnellingsbak"},
        {V, ImportMapping::boughtAsTarget(), "bought as|condition|new/used|Zustand|état|estado|condizione|staat"},

        // A maintenance log.
        {M, Vehicle, VEHICLE_WORDS},
        {M, Name,
         "description|service|maintenance|item|task|work|category|type|service type|job|name|Wartung|"
         "Arbeit|Arbeiten|Leistung|Beschreibung|Bezeichnung|Tätigkeit|entretien|intervention|opération|"
         "travaux|mantenimiento|servicio|descripción|trabajo|tarea|manutenzione|intervento|descrizione|"
         "lavoro|servizio|onderhoud|omschrijving|beschrijving|werkzaamheden|taak"},
        {M, 1,
         "date|service date|last date|last inspection|date done|done|Datum|letzte Inspektion|"
         "date d'intervention|fecha|data|datum"},
        {M, 2,
         "next date|due date|next due|next due date|next service|next service date|due|next inspection|"
         "nächster Termin|fällig|fällig am|nächste Inspektion|prochaine date|échéance|prochain entretien|"
         "próxima fecha|vencimiento|próximo servicio|prossima data|scadenza|prossimo intervento|"
         "volgende datum|vervaldatum|volgende beurt"},
        {M, 3,
         "odometer|mileage|miles|km|kilometers|kilometres|odo|odometer reading|Kilometerstand|km-Stand|"
         "Tachostand|kilométrage|compteur|kilometraje|odómetro|chilometraggio|km percorsi|kilometerstand"},
        {M, 4,
         "next mileage|next odometer|due mileage|next miles|next km|next due mileage|next due km|"
         "next service mileage|next service km|due at|nächster Kilometerstand|fällig bei|fällig bei km|"
         "prochain kilométrage|próximo kilometraje|prossimo chilometraggio|volgende kilometerstand"},
        {M, 5,
         "shop|vendor|garage|location|place|where|dealer|serviced by|provider|station|Werkstatt|Ort|Händler|"
         "atelier|lieu|taller|lugar|officina|luogo|werkplaats|plaats"},
        {M, 6, NOTES_WORDS},

        // A parts list.
        {P, Vehicle, VEHICLE_WORDS},
        {P, Name,
         "part|part name|item|description|component|name|Teil|Bauteil|Ersatzteil|Bezeichnung|Beschreibung|"
         "pièce|désignation|pieza|repuesto|descripción|ricambio|pezzo|descrizione|onderdeel|omschrijving"},
        {P, 1,
         "store|shop|vendor|seller|supplier|purchased at|where|part supplier|Händler|Lieferant|Geschäft|"
         "fournisseur|magasin|proveedor|tienda|fornitore|negozio|leverancier|winkel"},
        {P, 2,
         "purchase date|date|bought|Kaufdatum|Datum|date d'achat|fecha de compra|fecha|data di acquisto|data|"
         "aankoopdatum"},
        {P, 3, "brand|manufacturer|make|Marke|Hersteller|marque|fabricant|marca|fabricante|produttore|merk|fabrikant"},
        {P, 4, "warranty|warranty expires|warranty until|Garantie|Garantie bis|garantía|garanzia"},
        {P, 5,
         "size|dimensions|measurements|details|specs|part number|Größe|Abmessungen|Teilenummer|Artikelnummer|"
         "taille|référence|tamaño|medidas|referencia|misura|dimensioni|codice|maat|afmetingen|onderdeelnummer|"
         "artikelnummer"},
        {P, 6,
         "installed|install date|installation date|eingebaut|Einbaudatum|installé|date de montage|instalado|"
         "fecha de instalación|installato|data di montaggio|gemonteerd|montagedatum"},
        {P, 7,
         "quantity|qty|count|number of parts|of parts|pieces|part quantity|Anzahl|Menge|Stück|quantité|"
         "cantidad|quantità|aantal"},
        {P, 8, NOTES_WORDS},
    };
    return words;
}

QString normalized(QStringView header, Brackets brackets)
{
    QString out;
    int depth = 0;
    for (const QChar c : header) {
        if (c == u'(' || c == u'[')
            ++depth;
        else if ((c == u')' || c == u']') && depth > 0)
            --depth;
        else if ((depth == 0 || brackets == Brackets::Kept) && c.isLetterOrNumber())
            out += c.toLower();
    }
    return out;
}

QString unitOf(QStringView header)
{
    const QString h = header.toString().toLower();
    if (h.contains(u"km") || h.contains(u"kilomet"))
        return QStringLiteral("km");
    if (h.contains(u"mile") || h.contains(u"(mi)") || h.contains(u"[mi]"))
        return QStringLiteral("mi");
    return QString();
}

} // namespace ImportWords
